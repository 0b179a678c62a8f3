#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QIODevice;

#include "base/MOutputPath.h"
#include "base/MStatus.h"

// A file that is written under a temporary name in its target's folder and moved onto the target
// only when the caller commits it, so that an unfinished, failed or cancelled write never shows
// at the path the user chose. Several staged files can be written first and committed together.
// The temporary file is removed unless it was committed; one left by a killed process carries
// the name kPartPrefix + its process id and is removed by the next staged write to that folder.
class MStagedFile {
public:
    static constexpr const char* kPartPrefix = ".quilm-part-";
    static constexpr const char* kCancelledText = "Stopped by a signal; nothing was replaced.";

    explicit MStagedFile(QString targetPath);
    ~MStagedFile();
    MStagedFile(const MStagedFile&) = delete;
    MStagedFile& operator=(const MStagedFile&) = delete;

    // Checks the target (see MOutputPath: inputs are the files the work is made from) and creates
    // the temporary file (hidden, with the target's extension, so that readers that go by the
    // extension take it for what it will be).
    MStatus Create(const QStringList& inputs = {}, bool replaceReadOnly = false);
    // The path as given.
    const QString& TargetPath() const { return targetPath_; }
    // The file that is replaced: links followed (valid after Create).
    const QString& WrittenPath() const { return target_.Path(); }
    const QString& TemporaryPath() const { return temporaryPath_; }

    // Moves the temporary file onto the target, replacing any file there, with the permissions of
    // the file it replaces. Refused once a signal asked to stop.
    MStatus Commit();
    // Removes the temporary file.
    void Discard();

    // Writes bytes to path through a staged file (see Create); with sync the bytes are on the disk
    // before they replace the old file. The failure names the path and the reason.
    static MStatus Write(const QString& path, const QByteArray& bytes,
                         const QStringList& inputs = {}, bool replaceReadOnly = false,
                         bool sync = false);
    // The same with the bytes written by produce into the open temporary file (false: a write
    // failed), so that a large file need not be held in memory first.
    static MStatus Write(const QString& path, const std::function<bool(QIODevice&)>& produce,
                         const QStringList& inputs = {}, bool replaceReadOnly = false,
                         bool sync = false);
    // Removes from folder the parts left by processes that no longer run. Returns how many.
    static int RemoveLeftovers(const QString& folder);

private:
    QString targetPath_;
    MOutputPath target_;
    QString temporaryPath_;
};
