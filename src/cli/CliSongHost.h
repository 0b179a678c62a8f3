#pragma once

#include "song/MWorkWavHost.h"

// The song's surroundings in quilm-cli: the work WAV of the project's music, and messages
// printed on stderr.
class CliSongHost : public MWorkWavHost {
public:
    void Report(const MStatus& message) override;
};
