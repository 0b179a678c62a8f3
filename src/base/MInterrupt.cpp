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

namespace {

sigset_t Handled() {
    sigset_t set;
    sigemptyset(&set);
    for (const int number : kSignals) {
        sigaddset(&set, number);
    }
    return set;
}

}  // namespace

void MInterrupt::Block() {
    const sigset_t set = Handled();
    ::sigprocmask(SIG_BLOCK, &set, nullptr);
}

void MInterrupt::Install() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : kSignals) {
        ::sigaction(number, &action, nullptr);
    }
    const sigset_t set = Handled();
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
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
