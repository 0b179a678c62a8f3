#pragma once

#include <QString>
#include <cstdint>
#include <vector>

class MProgress;

// Turns the music file the user chose into the work WAV. A WAV that is already 44,100 Hz with
// 8 or 16 bits and 1 or 2 channels is used in place (and never written); anything else is
// decoded into the private work WAV "quilm_music.wav" in the temporary folder.
//
// The owner (the application) keeps one of these for the music of the open song, and after
// LoadMusic refreshes the current mode itself.
class MMusicImport {
public:
    // A WAV file cannot be larger; nor is any music a user brings.
    static constexpr qint64 kMaxFileBytes = 4LL * 1024 * 1024 * 1024;

    // One entry of the music file dialog's filter list.
    struct FileFilter {
        QString text;
        QString pattern;  // patterns separated by ';'
    };

    // temporaryFolder: where the private work WAV lives (the user's temporary folder when empty).
    explicit MMusicImport(const QString& temporaryFolder = QString());
    virtual ~MMusicImport();

    // True when a work WAV is ready. Sets the music file path, the work WAV path, the format,
    // the music folder and the error text (empty after success). progress may be null.
    bool LoadMusic(const QString& path, MProgress* progress);

    const QString& MusicFilePath() const { return musicFilePath_; }
    const QString& WorkWavPath() const { return workWavPath_; }
    // After padding moved the work WAV to a private copy.
    void SetWorkWavPath(const QString& path) { workWavPath_ = path; }
    uint32_t SampleRate() const { return sampleRate_; }
    uint16_t BitsPerSample() const { return bitsPerSample_; }
    uint16_t Channels() const { return channels_; }
    // Why the last import failed, as the user is told.
    const QString& ErrorText() const { return errorText_; }
    // The chosen file's folder with its trailing separator (the "MusicPath" setting).
    const QString& MusicFolder() const { return musicFolder_; }
    // The private work WAV.
    QString TemporaryWorkWavPath() const;

    // The filters of the music file dialog.
    static std::vector<FileFilter> MusicFileFilters(bool mp3Available);
    // The question asked after a failed import from the music file dialog.
    static QString ChooseAnotherFileQuestion(const QString& errorText);

private:
    bool Decode(const QString& path, MProgress* progress);

    QString temporaryFolder_;
    QString musicFilePath_;
    QString workWavPath_;
    QString musicFolder_;
    QString errorText_;
    uint32_t sampleRate_ = 0;
    uint16_t bitsPerSample_ = 0;
    uint16_t channels_ = 0;
};
