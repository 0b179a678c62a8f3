#include "base/MInputFile.h"
#include "base/MFileName.h"

#include <QFile>
#include <cerrno>
#include <cstring>

#include <sys/stat.h>

QString MInputFile::Problem(const QString& path, qint64 maxBytes, const QString& what) {
    struct stat st {};
    if (path.isEmpty() || ::stat(MFileName::Encode(path).constData(), &st) != 0) {
        return path.isEmpty() ? QStringLiteral("no file name given")
                              : QString::fromLocal8Bit(std::strerror(errno));
    }
    if (S_ISDIR(st.st_mode)) {
        return QStringLiteral("is a folder, not a %1").arg(what);
    }
    if (!S_ISREG(st.st_mode)) {
        return QStringLiteral("is not a regular file (a device, pipe or socket), not a %1")
            .arg(what);
    }
    if (st.st_size > maxBytes) {
        return QStringLiteral("the file is %1 MB, more than the %2 MB a %3 can be")
            .arg(static_cast<double>(st.st_size) / (1024 * 1024), 0, 'f', 1)
            .arg(maxBytes / (1024 * 1024))
            .arg(what);
    }
    return QString();
}

MStatus MInputFile::Check(const QString& path, qint64 maxBytes, const QString& what) {
    const QString problem = Problem(path, maxBytes, what);
    return problem.isEmpty() ? MStatus::Ok()
                             : MStatus::Failure(QStringLiteral("%1: %2").arg(path, problem));
}
