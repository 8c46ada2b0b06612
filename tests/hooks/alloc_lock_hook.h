// A hook for tests: counts the allocations and lock calls that one thread
// makes while it is armed. Linked into a test binary, alloc_lock_hook.cpp
// replaces operator new in all its forms and, outside sanitizer builds
// (whose runtimes own malloc), the C allocation functions; it also stands in
// for the pthread and semaphore lock calls. Every one of them notes the
// call, then does what it always does, so the rest of the process runs as
// usual.
//
// Threads: the counts are per thread; only the armed thread's calls count.
#pragma once
#include <cstddef>
#include <cstdint>

struct HookCounts {
    int64_t allocations = 0;  // calls that allocate (new, malloc, calloc, realloc, aligned forms)
    int64_t bytes = 0;        // bytes those calls asked for
    int64_t locks = 0;        // mutex, rwlock, spin lock, semaphore and condition waits
};

// Starts counting on the calling thread, from zero.
void arm_hook();
// Stops counting and returns what was counted since arm_hook().
HookCounts disarm_hook();
// Whether this binary also sees malloc and friends (false under ASan or
// TSan, where only operator new is seen).
bool hook_sees_malloc();
