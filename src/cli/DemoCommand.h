#pragma once

#include "cli/CliCommand.h"

// quilm-cli demo [-o DIR]: a whole karaoke song made and exported from nothing.
class DemoCommand : public CliCommand {
public:
    QString Name() const override { return QStringLiteral("demo"); }
    QString Summary() const override {
        return QStringLiteral(
            "Makes a demo song (lyrics with word times shipped inside, music synthesised to "
            "follow the words, title and credits pages), saves the project and exports it as "
            "zipped MP3+G and as BIN; prints the paths.");
    }
    bool NeedsFonts() const override { return true; }
    int Run(const QStringList& args) override;
};
