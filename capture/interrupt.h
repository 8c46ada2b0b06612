// Stopping a long capture cleanly on Ctrl-C (SIGINT) or SIGTERM.
//
// The handler only records the signal. The capture polls stop_signal()
// between frames (a write blocked on the encoder's pipe wakes with EINTR and
// polls it too), then removes what it had not finished and exits with
// capture_stopped_status(signal). The handler is installed for one signal
// only (SA_RESETHAND): a second Ctrl-C ends a capture that does not stop.
//
// Threads: the handler runs on whichever thread the kernel picks; it writes
// one sig_atomic_t. Everything else: main thread.
#pragma once

// Installs the handlers for SIGINT and SIGTERM. Call once, before the work.
void catch_stop_signals();

// The signal that asked the capture to stop, or 0 while none has.
int stop_signal();
