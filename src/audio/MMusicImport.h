#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/MStatus.h"

class MProgress;
class MWorkFolder;

// Turns the music file the user chose into the work WAV. A WAV that is already 44,100 Hz with
// 8 or 16 bits and 1 or 2 channels is used in place (and never written); anything else that
// FFmpeg can decode (other rates and channel counts, 24-bit and floating-point WAVs, MP3, WMA,
// FLAC, Ogg Vorbis, Opus, AAC, ALAC) is converted into a private 44,100 Hz 16-bit stereo work
// WAV in the process's work folder, named after the music, which this object owns: it is
// removed when another music is loaded and when this object goes.
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

    // temporaryFolder: where the work folder of the private work WAV is made (the process's work
    // folder in the user's temporary folder when empty).
    explicit MMusicImport(const QString& temporaryFolder = QString());
    virtual ~MMusicImport();
    MMusicImport(const MMusicImport&) = delete;
    MMusicImport& operator=(const MMusicImport&) = delete;

    // Ok when a work WAV is ready; otherwise the reason as the user is told (also kept in
    // ErrorText() for a later question). Sets the music file path, the work WAV path, the
    // format and the music folder. progress may be null; a cancel through it is a failure whose
    // text says so.
    MStatus LoadMusic(const QString& path, MProgress* progress);

    const QString& MusicFilePath() const { return musicFilePath_; }
    const QString& WorkWavPath() const { return workWavPath_; }
    // After padding moved the work WAV to a private copy, which is then owned like a decoded one.
    void SetWorkWavPath(const QString& path);
    uint32_t SampleRate() const { return sampleRate_; }
    uint16_t BitsPerSample() const { return bitsPerSample_; }
    uint16_t Channels() const { return channels_; }
    // Why the last import failed, as the user is told (empty after a success).
    const QString& ErrorText() const { return errorText_; }
    // The chosen file's folder with its trailing separator (the "MusicPath" setting).
    const QString& MusicFolder() const { return musicFolder_; }
    // The folder that holds the private work WAV.
    QString WorkFolderPath() const;
    // The private work WAV this object owns (empty when the work WAV is the user's file).
    const QString& OwnedWorkWavPath() const { return ownedWorkWav_; }

    // The filters of the music file dialog.
    static std::vector<FileFilter> MusicFileFilters(bool mp3Available);
    // The question asked after a failed import from the music file dialog.
    static QString ChooseAnotherFileQuestion(const QString& errorText);

private:
    bool Decode(const QString& path, MProgress* progress);
    const MWorkFolder& Folder() const;
    void DropOwnedWorkWav();
    void ComposeFormatError();

    std::unique_ptr<MWorkFolder> ownFolder_;
    QString ownedWorkWav_;
    QString musicFilePath_;
    QString workWavPath_;
    QString musicFolder_;
    QString errorText_;
    uint32_t sampleRate_ = 0;
    uint16_t bitsPerSample_ = 0;
    uint16_t channels_ = 0;
};
