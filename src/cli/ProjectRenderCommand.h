#pragma once

#include "cli/CliCommand.h"

// quilm-cli render PROJECT.qlm -o OUT.cdg [--json]: the project's whole CD+G stream.
class ProjectRenderCommand : public CliCommand {
public:
    QString Name() const override { return QStringLiteral("render"); }
    QString Summary() const override {
        return QStringLiteral(
            "Renders a project's whole CD+G stream into a .cdg file, with the "
            "schedule of every line as JSON on request.");
    }
    bool NeedsFonts() const override { return true; }
    int Run(const QStringList& args) override;
};
