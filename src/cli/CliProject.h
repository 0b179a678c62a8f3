#pragma once

#include <QString>
#include <memory>

#include "base/MStatus.h"
#include "cli/CliSongHost.h"
#include "song/MSongSettings.h"

// A project opened the way the application opens one: the file loaded, its music imported into
// the work WAV, and the work WAV measured.
class CliProject {
public:
    // Loads path; music that cannot be imported is reported and the project goes on without it.
    MStatus Open(const QString& path);

    MSongSettings& Song() { return *song_; }
    CliSongHost& Host() { return host_; }
    bool HasMusic() const { return !host_.WorkWavPath().isEmpty(); }
    // Why the song cannot be rendered or exported yet, after its line list was made: no lyrics,
    // or words without times; empty when it can.
    QString UnfinishedReason() const;

private:
    CliSongHost host_;
    std::unique_ptr<MSongSettings> song_;
};
