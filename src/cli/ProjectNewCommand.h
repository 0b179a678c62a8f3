#pragma once

#include "cli/CliCommand.h"

// quilm-cli new -o PROJECT.qlm [--music FILE] [--lyrics FILE] [--title T] [--artist A] [--force]:
// a new project with its music and lyrics, the words already timed when the lyrics come from
// an LRC file with times.
class ProjectNewCommand : public CliCommand {
public:
    QString Name() const override { return QStringLiteral("new"); }
    QString Summary() const override {
        return QStringLiteral(
            "Makes a new project from music and a lyric file (text, LRC or MIDI "
            "karaoke).");
    }
    int Run(const QStringList& args) override;
};
