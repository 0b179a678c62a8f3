#include "support/UnwritableFolder.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <unistd.h>

UnwritableFolder::UnwritableFolder(const QString& path) : made_(path), path_(path) {
    QDir().mkpath(made_);
    QFile::setPermissions(made_, QFile::ReadOwner | QFile::ExeOwner);
    if (::geteuid() == 0) {
        immutable_ =
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), made_}) == 0;
    }
    QFile probe(made_ + QStringLiteral("/probe"));
    if (probe.open(QIODevice::WriteOnly)) {
        probe.remove();
        path_ = QStringLiteral("/proc/self");
    }
}

UnwritableFolder::~UnwritableFolder() {
    if (immutable_) {
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), made_});
    }
    QFile::setPermissions(made_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
