#pragma once

#include <QString>

// A folder in which no file can be created, not even by root: read-only permissions, made
// immutable when running as root. Where that is not possible, Path() is a folder under /proc,
// where nobody creates files. The folder is made writable again on destruction.
class UnwritableFolder {
public:
    explicit UnwritableFolder(const QString& path);
    ~UnwritableFolder();
    UnwritableFolder(const UnwritableFolder&) = delete;
    UnwritableFolder& operator=(const UnwritableFolder&) = delete;

    const QString& Path() const { return path_; }

private:
    QString made_;
    QString path_;
    bool immutable_ = false;
};
