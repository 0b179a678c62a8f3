#include "base/MInterrupt.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t g_signal = 0;
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void OnSignal(int number) {
    if (g_signal != 0) {
        std::signal(number, SIG_DFL);
        std::raise(number);
        return;
    }
    g_signal = number;
}

}  // namespace

void MInterrupt::Install() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : kSignals) {
        ::sigaction(number, &action, nullptr);
    }
}

bool MInterrupt::Requested() {
    return g_signal != 0;
}

int MInterrupt::Signal() {
    return g_signal;
}

int MInterrupt::ExitCode() {
    return 128 + g_signal;
}

void MInterrupt::Reset() {
    g_signal = 0;
}
