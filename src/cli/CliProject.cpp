#include "cli/CliProject.h"

#include <QFileInfo>

#include "song/MSongDocument.h"

MStatus OpenCliProject(MSongDocument& document, const QString& path) {
    if (!QFileInfo(path).isFile()) {
        return MStatus::Failure(QStringLiteral("%1: no such project file").arg(path));
    }
    const MStatus opened = document.Open(path);
    if (!opened) {
        return MStatus::Failure(QStringLiteral("%1: %2").arg(
            path, QString(opened.Text()).replace(QLatin1Char('\n'), QLatin1Char(' '))));
    }
    return opened;
}
