#include "export/MStagedFile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

MStagedFile::MStagedFile(QString targetPath) : targetPath_(std::move(targetPath)) {}

MStagedFile::~MStagedFile() {
    Discard();
}

MStatus MStagedFile::Create() {
    Discard();
    const QFileInfo target(targetPath_);
    if (target.isDir()) {
        return MStatus::Failure(QStringLiteral("%1: is a folder").arg(targetPath_));
    }
    const QString suffix =
        target.suffix().isEmpty() ? QString() : QLatin1Char('.') + target.suffix();
    QTemporaryFile file(target.absolutePath() + QStringLiteral("/.quilm-export-XXXXXX") + suffix);
    file.setAutoRemove(false);
    if (!file.open()) {
        return MStatus::Failure(QStringLiteral("%1: cannot write in this folder: %2")
                                    .arg(target.absolutePath(), file.errorString()));
    }
    temporaryPath_ = file.fileName();
    return MStatus::Ok();
}

MStatus MStagedFile::Commit() {
    if (temporaryPath_.isEmpty()) {
        return MStatus::Failure(QStringLiteral("%1: nothing was written").arg(targetPath_));
    }
    // rename() replaces the target in one step, so there is never a moment without a file.
    if (std::rename(QFile::encodeName(temporaryPath_).constData(),
                    QFile::encodeName(targetPath_).constData()) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        Discard();
        return MStatus::Failure(QStringLiteral("%1: cannot be written: %2").arg(targetPath_, why));
    }
    // Temporary files are private; the exported file gets the permissions of any new file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(targetPath_).constData(), 0666 & ~mask);
    temporaryPath_.clear();
    return MStatus::Ok();
}

void MStagedFile::Discard() {
    if (!temporaryPath_.isEmpty()) {
        QFile::remove(temporaryPath_);
        temporaryPath_.clear();
    }
}
