#include "song/MSongDocument.h"

MSongDocument::MSongDocument(MMessageReporter* reporter, QObject* parent)
    : QObject(parent), host_(reporter), song_(std::make_unique<MSongSettings>(QString(), &host_)) {
    song_->ResetToNewProject();
    host_.SetModifiedListener([this](bool modified) {
        if (modified != announcedModified_) {
            announcedModified_ = modified;
            emit modifiedChanged(modified);
        }
    });
}

MSongDocument::~MSongDocument() {
    host_.SetModifiedListener(nullptr);
}

void MSongDocument::NewProject() {
    host_.SetWorkWavPath(QString());
    song_->projectPath.clear();
    song_->ResetToNewProject();
    song_->AttachWorkWav(true);
    song_->SetModified(false);
    AnnounceAll();
}

MStatus MSongDocument::Open(const QString& path, MProgress* progress, bool acceptDamaged) {
    host_.SetWorkWavPath(QString());
    song_->projectPath = path;
    song_->ResetToNewProject();
    MStatus status = song_->LoadProject(acceptDamaged);
    if (!status) {
        if (status.Text().isEmpty()) {
            status = MStatus::Failure(QStringLiteral("The project file is damaged."),
                                      MStatus::Icon::Error);
        }
        song_->ResetToNewProject();
        song_->AttachWorkWav(true);
        song_->SetModified(false);
        AnnounceAll();
        return status;
    }
    if (!song_->musicFile.isEmpty()) {
        MStatus music = host_.import.LoadMusic(song_->musicFile, progress);
        if (music) {
            music = song_->AttachWorkWav(true);
        }
        if (!music) {
            host_.SetWorkWavPath(QString());
            song_->AttachWorkWav(true);
            host_.Report(MStatus::Failure(
                QStringLiteral("%1: the music cannot be used, going on without it: %2")
                    .arg(song_->musicFile, music.Text()),
                MStatus::Icon::Warning));
        }
    }
    AnnounceAll();
    return MStatus::Ok();
}

MStatus MSongDocument::Save() {
    const MStatus status = song_->SaveProject();
    if (status) {
        SetModified(false);
    }
    return status;
}

MStatus MSongDocument::SaveAs(const QString& path) {
    const QString old = song_->projectPath;
    song_->projectPath = path;
    const MStatus status = Save();
    if (!status) {
        song_->projectPath = old;
        return status;
    }
    if (old != path) {
        emit pathChanged(path);
    }
    return status;
}

void MSongDocument::SetModified(bool modified) {
    song_->SetModified(modified);
}

void MSongDocument::SetRawLyrics(const QString& text) {
    song_->SetRawLyrics(text);
    Announce(kLyricsChange);
}

void MSongDocument::SetArtist(const QString& text) {
    song_->SetArtist(text);
    Announce(kSettingsChange);
}

void MSongDocument::SetTitle(const QString& text) {
    song_->SetTitle(text);
    Announce(kSettingsChange);
}

void MSongDocument::SetLinesPerPage(int lines) {
    song_->SetLinesPerPage(lines);
    Announce(kSettingsChange | kLinesChange);
}

void MSongDocument::AssignSettings(const MSongSettings& edited) {
    const QString path = song_->projectPath;
    song_->AssignSettings(edited);
    song_->projectPath = path;
    song_->SetModified(true);
    Announce(kSettingsChange | kLinesChange);
}

void MSongDocument::SetWordTimes(int word, int32_t startFrames, int32_t endFrames) {
    Edit(kLinesChange, [&](MSongSettings& song) {
        if (MKaraokeWord* w = song.GetWord(word)) {
            w->startTime = startFrames;
            w->endTime = endFrames;
        }
    });
}

void MSongDocument::SetLinePlaced(int line, bool placed) {
    Edit(kLinesChange, [&](MSongSettings& song) {
        if (MKaraokeLine* l = song.GetLine(line)) {
            l->placed = placed;
        }
    });
}

MStatus MSongDocument::ImportMusic(const QString& path, MProgress* progress) {
    if (MStatus loaded = host_.import.LoadMusic(path, progress); !loaded) {
        return loaded;
    }
    MStatus status = song_->SetMusicFile(path);
    Announce(kMusicChange);
    return status;
}

void MSongDocument::Edit(int changes, const std::function<void(MSongSettings&)>& edit) {
    edit(*song_);
    song_->SetModified(true);
    Announce(changes);
}

void MSongDocument::GenerateKaraokeLineList(bool keepTimings, bool convertMarks) {
    song_->GenerateKaraokeLineList(keepTimings, convertMarks);
    emit linesChanged();
}

MSongStream MSongDocument::RenderWholeStream() {
    song_->GenerateKaraokeLineList(true, true);
    return song_->RenderWholeStream();
}

void MSongDocument::Announce(int changes) {
    if (changes & kLyricsChange) {
        emit lyricsChanged();
    }
    if (changes & kLinesChange) {
        emit linesChanged();
    }
    if (changes & kSettingsChange) {
        emit settingsChanged();
    }
    if (changes & kMusicChange) {
        emit musicChanged();
    }
}

void MSongDocument::AnnounceAll() {
    emit pathChanged(song_->projectPath);
    Announce(kLyricsChange | kLinesChange | kSettingsChange | kMusicChange);
    if (announcedModified_ != song_->modified) {
        announcedModified_ = song_->modified;
        emit modifiedChanged(announcedModified_);
    }
}
