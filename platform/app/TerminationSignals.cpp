#include "platform/app/TerminationSignals.h"

#include <atomic>
#include <csignal>

namespace kestrava::app {

namespace {

std::atomic<int> g_signal{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free flag");

extern "C" void OnTerminationSignal(int signo)
{
    int none = 0;
    if (g_signal.compare_exchange_strong(none, signo))
        return;
    // A second signal: the orderly end is taking too long for the user.
    // Restore the default action and take it; raise() is async-signal-safe.
    struct sigaction dfl{};
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    sigaction(signo, &dfl, nullptr);
    raise(signo);
}

} // namespace

void InstallTerminationSignals()
{
    struct sigaction action{};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    // Slow system calls go on after the handler: the note is all it leaves.
    action.sa_flags = SA_RESTART;
    for (int signo : {SIGTERM, SIGINT})
        sigaction(signo, &action, nullptr);
}

int TerminationSignal() { return g_signal.load(); }

} // namespace kestrava::app
