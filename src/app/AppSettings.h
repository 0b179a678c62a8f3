#pragma once

#include <QByteArray>
#include <QRect>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <memory>

#include "dialogs/MDialogSettings.h"
#include "lyrics/LyricImportSettings.h"

// The per-user settings store of the program on QSettings (organisation "Ivolde", application
// "Quilm"), one group per section. Binary values are QByteArrays in the stored layouts
// (little-endian 32-bit integers for rectangles, an 8-byte double for the split). It backs the
// engine's settings interfaces.
class AppSettings : public MDialogSettings, public LyricImportSettings {
public:
    static constexpr int kRecentFiles = 4;
    static constexpr const char* kSettings = "Settings";
    static constexpr const char* kDefault = "Default";
    static constexpr const char* kRecentSection = "Recent File List";

    // The user's store; a file path gives a private store in that file (tests, benchmarks).
    explicit AppSettings(const QString& filePath = QString());
    ~AppSettings() override;

    // MSettingsStore
    int ReadInt(const QString& section, const QString& key, int defaultValue) override;
    void WriteInt(const QString& section, const QString& key, int value) override;

    // MDialogSettings
    QString ReadString(const QString& section, const QString& key,
                       const QString& defaultValue = QString()) override;
    void WriteString(const QString& section, const QString& key, const QString& value) override;
    // Empty when absent or not binary.
    QByteArray ReadBinary(const QString& section, const QString& key) override;
    void WriteBinary(const QString& section, const QString& key, const QByteArray& value) override;

    // "AppWindowRect": left, top, right, bottom; (10, 10, 500, 523) when absent or damaged.
    QRect WindowRect();
    void SetWindowRect(const QRect& rect);
    // "EditLyricsSplit": the fraction of the width for the lyric box, 0.5 when absent; a stored
    // value outside 0.05 ... 0.95 (or not a number) counts as absent.
    double EditLyricsSplit();
    void SetEditLyricsSplit(double split);

    // The recent-file list, newest first, at most four entries.
    QStringList RecentFiles();
    void AddRecentFile(const QString& path);

    // LyricImportSettings
    int LyricFileIndex() const override;
    void SetLyricFileIndex(int index) override;
    QString LyricsFolder() const override;
    void SetLyricsFolder(const QString& folder) override;

    void Sync();

    static QByteArray PackRect(const QRect& rect);
    // False when the bytes are not four 32-bit integers.
    static bool UnpackRect(const QByteArray& bytes, QRect* rect);

private:
    static QString Key(const QString& section, const QString& key);

    std::unique_ptr<QSettings> store_;
};
