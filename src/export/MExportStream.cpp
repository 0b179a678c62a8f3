#include "export/MExportStream.h"

#include "song/MProjectSanity.h"
#include "song/MSongHost.h"
#include "song/MSongSettings.h"

QStringList MExportStream::InputFiles(const MSongSettings& song) {
    QStringList files{song.musicFile, song.projectPath};
    if (song.Host() != nullptr) {
        files << song.Host()->WorkWavPath();
    }
    return files;
}

MExportStream MExportStream::Render(MSongSettings& song) {
    MExportStream s;
    if (song.Host() == nullptr || song.Host()->WorkWavPath().isEmpty()) {
        s.status = MStatus::Failure(QStringLiteral("The song has no music to export."));
        return s;
    }
    if (MStatus sane = MProjectSanity::Check(song); !sane) {
        s.status = sane;
        return s;
    }
    song.GenerateKaraokeLineList(true, true);
    if (!song.HasPlacedWords()) {
        s.status = MStatus::Failure(QStringLiteral("The song's lyrics are not placed yet."));
        return s;
    }
    if (song.rwBuffer.empty()) {
        s.status = song.AttachWorkWav(song.initialAudioBytes == 0);
        if (!s.status) {
            return s;
        }
    }
    const MSongStream rendered = song.RenderWholeStream();
    if (!rendered.status) {
        s.status = rendered.status;
        return s;
    }
    s.leadInFrames = rendered.leadInFrames;
    s.usedBytes = rendered.lengthBytes;
    s.trailingFrames = song.creditsFrames;
    s.workWavPath = song.Host()->WorkWavPath();
    return s;
}
