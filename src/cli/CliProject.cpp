#include "cli/CliProject.h"

#include <QFileInfo>

MStatus CliProject::Open(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        return MStatus::Failure(QStringLiteral("%1: no such project file").arg(path));
    }
    song_ = std::make_unique<MSongSettings>(path, &host_);
    song_->ResetToNewProject();
    const MStatus loaded = song_->LoadProject();
    if (!loaded) {
        const QString why = loaded.Text().isEmpty() ? QStringLiteral("The project file is damaged.")
                                                    : loaded.Text();
        return MStatus::Failure(QStringLiteral("%1: %2").arg(
            path, QString(why).replace(QLatin1Char('\n'), QLatin1Char(' '))));
    }
    if (!song_->musicFile.isEmpty()) {
        if (host_.import.LoadMusic(song_->musicFile, nullptr)) {
            song_->AttachWorkWav(true);
        } else {
            host_.Report(MStatus::Failure(
                QStringLiteral("%1: the music cannot be used, going on without it: %2")
                    .arg(song_->musicFile, host_.import.ErrorText()),
                MStatus::Icon::Warning));
        }
    }
    return MStatus::Ok();
}

QString CliProject::UnfinishedReason() const {
    if (song_->lineList.empty()) {
        return QStringLiteral(
            "the project has no lyrics: make it with 'quilm-cli new --lyrics FILE' (text, LRC or "
            "karaoke file)");
    }
    if (!song_->HasPlacedWords()) {
        return QStringLiteral(
            "the song's words have no times yet: place them in the application's Place Lyrics "
            "mode, or make the project with 'quilm-cli new --lyrics' and a timed LRC or karaoke "
            "file");
    }
    return {};
}
