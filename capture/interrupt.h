// Stopping a long capture cleanly on Ctrl-C (SIGINT) or SIGTERM.
//
// The handler only records the signal. The capture polls stop_signal()
// between frames (a write waiting on the encoder's pipe polls it too, at
// least every 100 ms), then removes what it had not finished and exits with
// capture_stopped_status(signal). The handler is installed for one signal
// only (SA_RESETHAND): a second Ctrl-C ends a capture that does not stop.
//
// Threads: the handler runs on the main thread (the frame loop's worker
// blocks the two signals); it writes one lock-free atomic, which any thread
// may read through stop_signal(). catch_stop_signals: main thread.
#pragma once

// Installs the handlers for SIGINT and SIGTERM. Call once, before the work.
void catch_stop_signals();

// The signal that asked the capture to stop, or 0 while none has.
int stop_signal();
