#include "cli/CliProject.h"

#include <QFileInfo>

#include "base/MFileName.h"
#include "song/MSongDocument.h"
#include "song/MSongSettings.h"

MStatus OpenCliProject(MSongDocument& document, const QString& path) {
    if (!QFileInfo(MFileName::Openable(path)).isFile()) {
        return MStatus::Failure(QStringLiteral("%1: no such project file").arg(path));
    }
    // Each command checks the values itself: info shows the damage, set mends it.
    const MStatus opened = document.Open(path, nullptr, true);
    if (!opened) {
        return MStatus::Failure(QStringLiteral("%1: %2").arg(
            path, QString(opened.Text()).replace(QLatin1Char('\n'), QLatin1Char(' '))));
    }
    return opened;
}

QString CliUnfinishedReason(const MSongSettings& song) {
    if (song.lineList.empty()) {
        return QStringLiteral(
            "the project has no lyrics: make it with 'quilm-cli new --lyrics FILE' (text, LRC or "
            "karaoke file)");
    }
    if (!song.HasPlacedWords()) {
        return QStringLiteral(
            "the song's words have no times yet: place them in the application's Place Lyrics "
            "mode, or make the project with 'quilm-cli new --lyrics' and a timed LRC or karaoke "
            "file");
    }
    return {};
}
