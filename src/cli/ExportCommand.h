#pragma once

#include "cli/CliCommand.h"

// quilm-cli export PROJECT.qlm --type bin|wma|mp3 [--zip] [--ratio KBPS] -o PATH: the song as a
// BIN file, or as MP3+G / WMA+G files (optionally zipped), as the application exports it.
class ExportCommand : public CliCommand {
public:
    QString Name() const override { return QStringLiteral("export"); }
    QString Summary() const override {
        return QStringLiteral(
            "Exports a project as a BIN file or as MP3+G / WMA+G files, "
            "optionally zipped.");
    }
    bool NeedsFonts() const override { return true; }
    int Run(const QStringList& args) override;
};
