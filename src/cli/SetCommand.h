#pragma once

#include "cli/CliCommand.h"

// quilm-cli set PROJECT.qlm KEY=VALUE...: changes the song's style settings and saves the project.
class SetCommand : public CliCommand {
public:
    QString Name() const override { return QStringLiteral("set"); }
    QString Summary() const override {
        return QStringLiteral("Changes a project's song settings (see info --json for the keys).");
    }
    bool NeedsFonts() const override { return true; }
    int Run(const QStringList& args) override;
};
