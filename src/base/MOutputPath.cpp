#include "base/MOutputPath.h"
#include "base/MFileName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace {

uint32_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

QString MOutputPath::FollowLinks(const QString& path) {
    QString current = MFileName::Absolute(path);
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        const QByteArray native = MFileName::Encode(current);
        struct stat st {};
        if (::lstat(native.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            break;
        }
        QByteArray target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(native.constData(), target.data(), target.size());
        if (n <= 0) {
            break;
        }
        target.truncate(n);
        const QString next = MFileName::Decode(target);
        current = QDir::cleanPath(QDir::isAbsolutePath(next) ? next
                                                             : QFileInfo(current).absolutePath() +
                                                                   QLatin1Char('/') + next);
    }
    return current;
}

bool MOutputPath::SameFile(const QString& a, const QString& b) {
    struct stat sa {};
    struct stat sb {};
    return !a.isEmpty() && !b.isEmpty() && ::stat(MFileName::Encode(a).constData(), &sa) == 0 &&
           ::stat(MFileName::Encode(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

MOutputPath MOutputPath::Check(const QString& path, const QStringList& inputs,
                               bool replaceReadOnly) {
    MOutputPath out;
    out.given_ = path;
    out.path_ = FollowLinks(path);
    out.mode_ = NewFileMode();
    auto refuse = [&out](const QString& why) {
        out.status_ = MStatus::Failure(QStringLiteral("%1: %2").arg(out.given_, why));
        return out;
    };
    if (path.isEmpty()) {
        return refuse(QStringLiteral("no file name given"));
    }
    struct stat st {};
    if (::stat(MFileName::Encode(out.path_).constData(), &st) != 0) {
        if (!QFileInfo(MFileName::Openable(QFileInfo(out.path_).absolutePath())).isDir()) {
            return refuse(QStringLiteral("the folder does not exist"));
        }
        return out;  // a new file
    }
    out.exists_ = true;
    if (S_ISDIR(st.st_mode)) {
        return refuse(QStringLiteral("is a folder"));
    }
    if (!S_ISREG(st.st_mode)) {
        return refuse(
            QStringLiteral("is not a regular file (a device, pipe or socket), so it is "
                           "not replaced"));
    }
    for (const QString& input : inputs) {
        if (SameFile(input, out.path_)) {
            return refuse(QStringLiteral("is one of the files this is made from (%1), so it is "
                                         "not replaced")
                              .arg(input));
        }
    }
    out.mode_ = st.st_mode & 07777;
    const bool writable =
        (st.st_mode & 0222) != 0 && ::access(MFileName::Encode(out.path_).constData(), W_OK) == 0;
    if (!writable && !replaceReadOnly) {
        out.readOnly_ = true;
        return refuse(QStringLiteral("the file is read-only"));
    }
    return out;
}
