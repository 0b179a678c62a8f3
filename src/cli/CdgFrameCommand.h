#pragma once

#include "cli/CliCommand.h"

// quilm-cli cdg frame FILE.cdg --at SECONDS -o OUT.png [--scale N] [--raw]: the screen as it
// stands once every packet before that time has been decoded.
class CdgFrameCommand : public CliCommand {
public:
    QString Name() const override { return QStringLiteral("cdg frame"); }
    QString Summary() const override {
        return QStringLiteral(
            "Decodes a CD+G file up to a moment and saves the screen as a PNG: what a viewer "
            "window shows (inner area and border), or with --raw the whole 300 x 216 screen "
            "memory.");
    }
    bool NeedsApplication() const override { return false; }
    int Run(const QStringList& args) override;
};
