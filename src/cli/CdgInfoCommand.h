#pragma once

#include "cli/CliCommand.h"

// quilm-cli cdg info FILE.cdg: what a CD+G file holds.
class CdgInfoCommand : public CliCommand {
public:
    QString Name() const override { return QStringLiteral("cdg info"); }
    QString Summary() const override {
        return QStringLiteral(
            "Counts the packets of a CD+G file by instruction and tells its "
            "duration and the times of its first and last non-empty packets.");
    }
    bool NeedsApplication() const override { return false; }
    int Run(const QStringList& args) override;
};
