#include "app/DataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString DataFolder::Find() {
    const QString env = qEnvironmentVariable("QUILM_DATA_DIR");
    QStringList candidates;
    if (!env.isEmpty()) {
        candidates << env;
    }
    candidates << QCoreApplication::applicationDirPath() + QStringLiteral("/../share/quilm");
#ifdef QUILM_SOURCE_DATA_DIR
    candidates << QStringLiteral(QUILM_SOURCE_DATA_DIR);
#endif
    for (const QString& c : candidates) {
        if (QFileInfo(c + QStringLiteral("/manual")).isDir()) {
            return QDir(c).canonicalPath();
        }
    }
    return QString();
}

QString DataFolder::MissingText() {
    return QCoreApplication::translate(
               "DataFolder",
               "The data folder of Quilm was not found (it belongs in %1).\nThe manual and some "
               "pictures are not available; everything else works.")
        .arg(QDir::cleanPath(QCoreApplication::applicationDirPath() +
                             QStringLiteral("/../share/quilm")));
}
