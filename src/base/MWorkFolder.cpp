#include "base/MWorkFolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <mutex>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr const char* kLockName = "owner.lock";
// A folder without its lock file is only left half-made by a process that died at once; give
// a process that is just making its folder time to lock it.
constexpr qint64 kUnlockedGraceSeconds = 600;

QString SafeStem(const QString& stem) {
    QString safe;
    for (const QChar c : stem) {
        safe += c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_')
                    ? c
                    : QLatin1Char('_');
    }
    return safe.left(40);
}

}  // namespace

MWorkFolder::MWorkFolder(const QString& parent) {
    const QString base = parent.isEmpty() ? QDir::tempPath() : parent;
    RemoveStale(base);
    dir_ = std::make_unique<QTemporaryDir>(
        QDir(base).filePath(QLatin1String(kNamePrefix) + QStringLiteral("XXXXXX")));
    if (!dir_->isValid()) {
        return;
    }
    // The lock lives as long as the process holds the file open: the system releases it when
    // the process ends in any way, so another process can tell a folder whose owner is gone.
    lockFd_ = ::open(QFile::encodeName(dir_->filePath(QLatin1String(kLockName))).constData(),
                     O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd_ >= 0) {
        ::flock(lockFd_, LOCK_EX | LOCK_NB);
        const QByteArray pid = QByteArray::number(static_cast<qint64>(::getpid())) + '\n';
        [[maybe_unused]] const ssize_t written = ::write(lockFd_, pid.constData(), pid.size());
    }
}

MWorkFolder::~MWorkFolder() {
    if (lockFd_ >= 0) {
        ::close(lockFd_);
    }
    // QTemporaryDir removes the folder with everything in it.
}

MWorkFolder& MWorkFolder::Process() {
    // A folder that was removed behind our back (a cleaner of the temporary folder) is made
    // anew, and so is one for a temporary folder that changed; the older ones stay until the
    // process ends, as files in them may still be in use.
    static std::mutex mutex;
    static std::vector<std::unique_ptr<MWorkFolder>> folders;
    std::lock_guard<std::mutex> lock(mutex);
    const QString parent = QDir::tempPath();
    if (folders.empty() || !folders.back()->IsValid() ||
        !QFileInfo(folders.back()->Path()).isDir() ||
        QFileInfo(folders.back()->Path()).absolutePath() != QFileInfo(parent).absoluteFilePath()) {
        folders.push_back(std::make_unique<MWorkFolder>(parent));
    }
    return *folders.back();
}

bool MWorkFolder::IsValid() const {
    return dir_ && dir_->isValid();
}

QString MWorkFolder::Path() const {
    return IsValid() ? dir_->path() : QString();
}

QString MWorkFolder::NewFile(const QString& stem, const QString& suffix) const {
    if (!IsValid()) {
        return {};
    }
    QTemporaryFile file(dir_->filePath(SafeStem(stem) + QStringLiteral("-XXXXXX") + suffix));
    file.setAutoRemove(false);
    if (!file.open()) {
        return {};
    }
    return file.fileName();
}

QString MWorkFolder::NewFolder(const QString& stem) const {
    if (!IsValid()) {
        return {};
    }
    QTemporaryDir dir(dir_->filePath(SafeStem(stem) + QStringLiteral("-XXXXXX")));
    if (!dir.isValid()) {
        return {};
    }
    dir.setAutoRemove(false);
    return dir.path();
}

int MWorkFolder::RemoveStale(const QString& parent) {
    int removed = 0;
    const QFileInfoList entries =
        QDir(parent).entryInfoList({QLatin1String(kNamePrefix) + QLatin1Char('*')},
                                   QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QFileInfo& entry : entries) {
        if (entry.isSymLink() || !entry.isWritable()) {
            continue;  // not ours to remove (another user's, or not a folder we made)
        }
        const QString lockPath = QDir(entry.absoluteFilePath()).filePath(QLatin1String(kLockName));
        bool stale = false;
        if (QFileInfo::exists(lockPath)) {
            // Succeeds only when the process that made the folder is gone.
            const int fd = ::open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CLOEXEC);
            stale = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
            if (fd >= 0) {
                ::close(fd);
            }
        } else {
            stale =
                entry.lastModified().secsTo(QDateTime::currentDateTime()) > kUnlockedGraceSeconds;
        }
        if (stale && QDir(entry.absoluteFilePath()).removeRecursively()) {
            ++removed;
        }
    }
    return removed;
}
