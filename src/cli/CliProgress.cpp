#include "cli/CliProgress.h"

#include <cstdio>

#include <unistd.h>

#include "base/MInterrupt.h"

namespace {

constexpr int kBarWidth = 30;

}  // namespace

CliProgress::CliProgress(bool linesOffTerminal)
    : terminal_(::isatty(STDERR_FILENO) != 0), lines_(linesOffTerminal && !terminal_) {}

CliProgress::~CliProgress() {
    End();
}

void CliProgress::Begin(const QString& title, bool) {
    End();
    title_ = title;
    percent_ = -1;
    if (lines_) {
        std::fprintf(stderr, "%s\n", title_.toLocal8Bit().constData());
    }
}

void CliProgress::SetTitle(const QString& title) {
    title_ = title;
    if (terminal_) {
        Draw();
    } else if (lines_) {
        std::fprintf(stderr, "%s\n", title_.toLocal8Bit().constData());
    }
}

void CliProgress::SetPercent(int percent) {
    if (percent == percent_) {
        return;
    }
    const int before = percent_;
    percent_ = percent;
    if (terminal_) {
        Draw();
    } else if (lines_ && (percent / 10 != before / 10 || before < 0)) {
        std::fprintf(stderr, "%3d%%\n", percent);
    }
}

void CliProgress::Draw() {
    const int filled = std::max(0, percent_) * kBarWidth / 100;
    std::fprintf(stderr, "\r%s [%s%s] %3d%%", title_.toLocal8Bit().constData(),
                 QByteArray(filled, '#').constData(),
                 QByteArray(kBarWidth - filled, ' ').constData(), std::max(0, percent_));
    std::fflush(stderr);
    drawn_ = true;
}

bool CliProgress::IsCancelled() {
    return MInterrupt::Requested();
}

void CliProgress::End() {
    if (drawn_) {
        std::fputc('\n', stderr);
        drawn_ = false;
    }
}
