#pragma once

#include "cli/CliCommand.h"

// quilm-cli info PROJECT.qlm [--json]: what a project holds.
class ProjectInfoCommand : public CliCommand {
public:
    QString Name() const override { return QStringLiteral("info"); }
    QString Summary() const override {
        return QStringLiteral(
            "Shows a project's version, settings, pages, lines, words and music.");
    }
    int Run(const QStringList& args) override;
};
