#include "base/MStagedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/MFileName.h"
#include "base/MInterrupt.h"

MStagedFile::MStagedFile(QString targetPath) : targetPath_(std::move(targetPath)) {}

MStagedFile::~MStagedFile() {
    Discard();
}

MStatus MStagedFile::Create(const QStringList& inputs, bool replaceReadOnly) {
    Discard();
    target_ = MOutputPath::Check(targetPath_, inputs, replaceReadOnly);
    if (!target_.IsOk()) {
        return target_.Status();
    }
    const QFileInfo target(target_.Path());
    // The folder as Qt can open it, also when its name is not UTF-8.
    const QString folder = MFileName::Openable(target.absolutePath());
    RemoveLeftovers(folder);
    const QString suffix =
        target.suffix().isEmpty() ? QString() : QLatin1Char('.') + target.suffix();
    QTemporaryFile file(folder + QLatin1Char('/') + QLatin1String(kPartPrefix) +
                        QString::number(::getpid()) + QStringLiteral("-XXXXXX") + suffix);
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
    if (MInterrupt::Requested()) {
        Discard();
        return MStatus::Failure(QString::fromLatin1(kCancelledText));
    }
    const QByteArray temporary = QFile::encodeName(temporaryPath_);
    // rename() replaces the target in one step, so there is never a moment without a file.
    if (::chmod(temporary.constData(), target_.Mode()) != 0 ||
        std::rename(temporary.constData(), MFileName::Encode(target_.Path()).constData()) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        Discard();
        return MStatus::Failure(QStringLiteral("%1: cannot be written: %2").arg(targetPath_, why));
    }
    temporaryPath_.clear();
    return MStatus::Ok();
}

void MStagedFile::Discard() {
    if (!temporaryPath_.isEmpty()) {
        QFile::remove(temporaryPath_);
        temporaryPath_.clear();
    }
}

MStatus MStagedFile::Write(const QString& path, const QByteArray& bytes, const QStringList& inputs,
                           bool replaceReadOnly, bool sync) {
    return Write(
        path, [&bytes](QIODevice& file) { return file.write(bytes) == bytes.size(); }, inputs,
        replaceReadOnly, sync);
}

MStatus MStagedFile::Write(const QString& path, const std::function<bool(QIODevice&)>& produce,
                           const QStringList& inputs, bool replaceReadOnly, bool sync) {
    MStagedFile stage(path);
    if (MStatus s = stage.Create(inputs, replaceReadOnly); !s) {
        return s;
    }
    QFile file(stage.TemporaryPath());
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) && produce(file) &&
                         file.flush() && (!sync || ::fsync(file.handle()) == 0);
    if (!written) {
        const QString why = file.error() != QFileDevice::NoError
                                ? file.errorString()
                                : QString::fromLocal8Bit(std::strerror(errno));
        return MStatus::Failure(QStringLiteral("%1: %2").arg(path, why));
    }
    file.close();
    return stage.Commit();
}

int MStagedFile::RemoveLeftovers(const QString& folder) {
    int removed = 0;
    const QString prefix = QLatin1String(kPartPrefix);
    const QStringList names = QDir(folder).entryList(
        {prefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QString& name : names) {
        const qsizetype dash = name.indexOf(QLatin1Char('-'), prefix.size());
        bool number = false;
        const qint64 pid = name.mid(prefix.size(), dash - prefix.size()).toLongLong(&number);
        if (!number || pid <= 0 || pid == ::getpid()) {
            continue;
        }
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH &&
            QFile::remove(QDir(folder).filePath(name))) {
            ++removed;
        }
    }
    return removed;
}
