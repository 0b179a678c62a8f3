#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

#include "base/MStatus.h"

class MSongSettings;

// The first step of every export: the song's line list regenerated and the whole CD+G stream
// rendered into the song's stream buffer, with what the audio needs to stay in step with it.
struct MExportStream {
    MStatus status;
    // Silence to put before the music, in sample frames.
    int32_t leadInFrames = 0;
    // Silence to put after the music for the credits page, in sample frames.
    int32_t trailingFrames = 0;
    // Bytes of the stream buffer the song uses.
    uint32_t usedBytes = 0;
    // The work WAV after rendering (which may have lengthened it into a private copy).
    QString workWavPath;

    // The files an export of song is made from (its music, its project, its work WAV), which no
    // export may write over.
    static QStringList InputFiles(const MSongSettings& song);
    // Fails when the song has no music or no placed lyrics.
    static MExportStream Render(MSongSettings& song);
};
