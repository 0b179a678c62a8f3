#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

#include "base/MStatus.h"

// A path the user chose to write to, checked before anything is written. A symbolic link is
// followed (the file it points to is replaced and the link stays); anything that is not a regular
// file (a folder, a device, a pipe, a socket) is refused, as is a file that is one of the inputs
// of the work and a read-only file unless the caller forces it. The file written in its place
// gets the permissions of the file it replaces.
class MOutputPath {
public:
    // Links followed at most this many times (the system's own limit).
    static constexpr int kMaxLinkHops = 40;

    static MOutputPath Check(const QString& path, const QStringList& inputs = {},
                             bool replaceReadOnly = false);

    const MStatus& Status() const { return status_; }
    bool IsOk() const { return status_.IsOk(); }
    // True when the only objection is that the file is read-only.
    bool IsReadOnly() const { return readOnly_; }
    // The path the user gave, as given.
    const QString& GivenPath() const { return given_; }
    // The file to write: links followed, absolute.
    const QString& Path() const { return path_; }
    bool Exists() const { return exists_; }
    // The permission bits the written file is to have.
    uint32_t Mode() const { return mode_; }

    // The absolute path that path names once every symbolic link on its last part is followed.
    static QString FollowLinks(const QString& path);
    // True when a and b are the same file (also through links or hard links).
    static bool SameFile(const QString& a, const QString& b);

private:
    QString given_;
    QString path_;
    MStatus status_;
    bool readOnly_ = false;
    bool exists_ = false;
    uint32_t mode_ = 0644;
};
