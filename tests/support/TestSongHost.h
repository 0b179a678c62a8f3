#pragma once

#include <QString>
#include <vector>

#include "song/MSongHost.h"

// The application around a song, as tests see it: a work WAV path and the messages reported.
class TestSongHost : public MSongHost {
public:
    QString WorkWavPath() const override { return workWav; }
    void SetWorkWavPath(const QString& path) override { workWav = path; }
    void ModifiedChanged(bool m) override { modifiedCalls.push_back(m); }
    void Report(const MStatus& message) override { reports.push_back(message); }

    QString workWav;
    std::vector<bool> modifiedCalls;
    std::vector<MStatus> reports;
};
