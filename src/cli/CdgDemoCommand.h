#pragma once

#include "cli/CliCommand.h"

// quilm-cli cdg demo [-o DIR]: a short karaoke stream made by the engine alone, written as a
// ".cdg" file with a PNG of one of its moments.
class CdgDemoCommand : public CliCommand {
public:
    QString Name() const override { return QStringLiteral("cdg demo"); }
    QString Summary() const override {
        return QStringLiteral(
            "Draws, sweeps and erases a few lyric lines into a CD+G stream, writes it as "
            "quilm-demo.cdg and a frame of it as quilm-demo.png, and prints where they are.");
    }
    bool NeedsFonts() const override { return true; }
    int Run(const QStringList& args) override;
};
