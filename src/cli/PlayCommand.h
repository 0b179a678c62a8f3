#pragma once

#include "cli/CliCommand.h"

// quilm-cli play FILE.wav|PROJECT.qlm [--from SECONDS] [--to SECONDS] [--tempo PERCENT]
//                [--frame-at SECONDS -o OUT.png]
// Plays a WAV, or a project's work WAV with its freshly rendered CD+G stream decoded as the
// player shows it, and prints the position and the remaining time once a second.
class PlayCommand : public CliCommand {
public:
    QString Name() const override { return QStringLiteral("play"); }
    QString Summary() const override {
        return QStringLiteral(
            "Plays a WAV file, or a project with its CD+G graphics, printing the "
            "position once a second.");
    }
    bool NeedsFonts() const override { return true; }
    int Run(const QStringList& args) override;
};
