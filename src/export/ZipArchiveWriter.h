#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>
#include <QStringList>
#include <cstdint>

#include "base/MStagedFile.h"

// Writes a ZIP archive with minizip. The archive grows in a temporary file beside the target and
// takes the target's place only when Finish() succeeds, replacing any file there; until then the
// target is left as it was, and an archive that is abandoned (or whose writer is destroyed
// unfinished) leaves nothing behind.
//
// Entries are compressed with deflate at level 8, except names that already hold compressed
// data (see IsStoredName), which are stored as they are.
class ZipArchiveWriter {
public:
    // Result codes, shown to the user in hexadecimal when packaging fails.
    static constexpr uint32_t kCodeOk = 0;
    static constexpr uint32_t kCodeNoFile = 0x00000200;     // a source file cannot be opened
    static constexpr uint32_t kCodeWrite = 0x00000400;      // writing the archive failed
    static constexpr uint32_t kCodeRead = 0x00000800;       // reading a source file failed
    static constexpr uint32_t kCodeArgs = 0x00010000;       // invalid arguments
    static constexpr uint32_t kCodeFailed = 0x00040000;     // the archive is in error
    static constexpr uint32_t kCodeEnded = 0x00050000;      // the archive is already finished
    static constexpr uint32_t kCodeWrongMode = 0x00080000;  // the archive is not open
    static constexpr uint32_t kCodeCancelled = 0x00100000;  // a signal asked to stop

    static constexpr int kDeflateLevel = 8;

    // inputs: files the archive is made from, which the target must not be.
    explicit ZipArchiveWriter(QString targetPath, QStringList inputs = {});
    ~ZipArchiveWriter();
    ZipArchiveWriter(const ZipArchiveWriter&) = delete;
    ZipArchiveWriter& operator=(const ZipArchiveWriter&) = delete;

    // Creates the temporary file. False when it cannot be created (no such folder, no write
    // permission, or the target is a folder).
    bool Open();
    // Adds the whole content of sourcePath as an entry at entryName; backslashes in the name
    // become forward slashes. A source that cannot be opened leaves the archive usable; any other
    // failure puts it in error.
    uint32_t AddFile(const QString& entryName, const QString& sourcePath);
    // The date and time of the entries added from now on, instead of their sources' modification
    // times (so that the same files always make the same archive).
    void SetEntryTime(const QDateTime& time) { entryTime_ = time; }
    // Completes the archive and moves it to the target path.
    uint32_t Finish();
    // Drops the unfinished archive.
    void Abandon();

    // True for names ending in ".z", ".zip", ".zoo", ".arc", ".lzh", ".arj", ".gz" or ".tgz" in
    // any letter case.
    static bool IsStoredName(const QString& entryName);

private:
    enum class State { NotOpen, Open, Failed, Finished };

    uint32_t CopyInto(QFile& source);

    QString targetPath_;
    QStringList inputs_;
    MStagedFile stage_;
    QFile file_;
    void* zip_ = nullptr;
    State state_ = State::NotOpen;
    QDateTime entryTime_;
};
