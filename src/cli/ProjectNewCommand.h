#pragma once

#include <functional>

#include "cli/CliCommand.h"

class MSongSettings;

// quilm-cli new -o PROJECT.qlm [--music FILE] [--lyrics FILE] [--lyrics-encoding NAME]
// [--fit wrap] [--title T] [--artist A] [--force]: a new project with its music and lyrics, the
// words already timed when the lyrics come from an LRC file with times or a karaoke MIDI file.
class ProjectNewCommand : public CliCommand {
public:
    QString Name() const override { return QStringLiteral("new"); }
    QString Summary() const override {
        return QStringLiteral(
            "Makes a new project from music and a lyric file (text, LRC or MIDI "
            "karaoke).");
    }
    // Lines are measured at the song's font.
    bool NeedsFonts() const override { return true; }
    int Run(const QStringList& args) override;

    // Settings given to the new song before its lines are made and measured (for a caller that
    // styles the song: lines are then fitted to its own font).
    void SetStyle(std::function<void(MSongSettings&)> style) { style_ = std::move(style); }

private:
    std::function<void(MSongSettings&)> style_;
};
