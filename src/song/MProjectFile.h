#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

#include "base/MStatus.h"

class MSongSettings;
struct IMAGE_STRUCT;

// Reads and writes ".qlm" project files: the song header, the texts, the three page records and
// the karaoke line list, little-endian, versions 400 to 600 read, 600 written.
class MProjectFile {
public:
    static constexpr int kPageBlockBytes = 249172;
    // Far more than any project with its pictures; larger files are not read.
    static constexpr qint64 kMaxFileBytes = 1LL << 30;
    static constexpr const char* kCannotOpen = "Cannot open the project file.";
    static constexpr const char* kCorrupted = "The project file has been corrupted.";
    static constexpr const char* kTooNew =
        "The project file is from a newer version of Quilm.\nIt cannot be opened by this version.";
    static constexpr const char* kTooOld =
        "The project file is from an old version of Quilm.\nIt cannot be migrated to the current "
        "version.";
    static constexpr const char* kNotAProject = "The file is not a Quilm project file.";
    static constexpr const char* kReadError =
        "Error opening Project file:\n\n%1\n\nThe file most likely has been corrupted.";

    explicit MProjectFile(MSongSettings& song) : song_(song) {}

    // Reads the file named by the song's project path. On failure the song is left as it was
    // and the status carries the message to show (empty for a damaged file that has none).
    MStatus Load();
    // The same from an open device (read from its current position to its end).
    MStatus Load(QIODevice& device);
    // Writes the song to its project path through a temporary file that replaces the old file
    // only when complete.
    MStatus Save();

    // The whole file as it would be written.
    static QByteArray Serialize(const MSongSettings& song);
    // The same written to device a piece at a time; false when a write failed.
    static bool Serialize(const MSongSettings& song, QIODevice& device);
    // The 249,172 stored bytes of a page record.
    static QByteArray PageBlock(const IMAGE_STRUCT& page);

private:
    MSongSettings& song_;
};
