#include "capture/interrupt.h"

#include <atomic>
#include <csignal>

namespace {
// The last stop signal received (SIGINT or SIGTERM), 0 before any. Written by
// the handler, read by the main thread and the frame loop's worker; lock-free,
// so the handler may write it.
std::atomic<int> received_signal{0};
static_assert(std::atomic<int>::is_always_lock_free);

void on_stop_signal(int signal) { received_signal.store(signal, std::memory_order_relaxed); }
}  // namespace

void catch_stop_signals() {
    struct sigaction action {};
    action.sa_handler = on_stop_signal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocked poll or waitpid returns EINTR, so the capture
    // notices the signal at once instead of after the next frame.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int stop_signal() { return received_signal.load(std::memory_order_relaxed); }
