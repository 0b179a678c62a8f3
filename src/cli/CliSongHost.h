#pragma once

#include "audio/MMusicImport.h"
#include "song/MSongHost.h"

// The song's surroundings in quilm-cli: the work WAV of the project's music, and messages
// printed on stderr.
class CliSongHost : public MSongHost {
public:
    QString WorkWavPath() const override { return import.WorkWavPath(); }
    void SetWorkWavPath(const QString& path) override { import.SetWorkWavPath(path); }
    void Report(const MStatus& message) override;

    MMusicImport import;
};
