#pragma once

#include <QString>

#include "base/MProgress.h"

// Progress of long work on stderr: a bar redrawn in place when stderr is a terminal. Off a
// terminal (a script, a log) nothing is printed unless lines were asked for: then a line at every
// tenth. Ctrl-C while it is alive asks the work to stop.
class CliProgress : public MProgress {
public:
    explicit CliProgress(bool linesOffTerminal);
    ~CliProgress() override;
    CliProgress(const CliProgress&) = delete;
    CliProgress& operator=(const CliProgress&) = delete;

    void Begin(const QString& title, bool canCancel) override;
    void SetTitle(const QString& title) override;
    void SetPercent(int percent) override;
    bool IsCancelled() override;
    void End() override;

private:
    void Draw();

    bool terminal_;
    bool lines_;  // lines off a terminal
    QString title_;
    int percent_ = -1;
    bool drawn_ = false;
};
