#pragma once

#include <QString>

#include "base/MStatus.h"

// A file that is written under a temporary name in its target's folder and moved onto the target
// only when the caller commits it, so that an unfinished, failed or cancelled export never shows
// at the path the user chose. Several staged files can be written first and committed together.
// The temporary file is removed unless it was committed.
class MStagedFile {
public:
    explicit MStagedFile(QString targetPath);
    ~MStagedFile();
    MStagedFile(const MStagedFile&) = delete;
    MStagedFile& operator=(const MStagedFile&) = delete;

    // Creates the temporary file (hidden, with the target's extension, so that readers that go by
    // the extension take it for what it will be). Fails when the folder cannot be written.
    MStatus Create();
    const QString& TargetPath() const { return targetPath_; }
    const QString& TemporaryPath() const { return temporaryPath_; }

    // Moves the temporary file onto the target, replacing any file there.
    MStatus Commit();
    // Removes the temporary file.
    void Discard();

private:
    QString targetPath_;
    QString temporaryPath_;
};
