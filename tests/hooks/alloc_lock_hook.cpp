// The replacements behind alloc_lock_hook.h. Each one notes the call, then
// forwards: operator new to malloc, malloc and friends to glibc's own
// allocator (__libc_*), lock calls to the next definition (dlsym RTLD_NEXT,
// looked up on first use). Nothing here allocates or locks itself.
#include "alloc_lock_hook.h"

#include <dlfcn.h>
#include <pthread.h>
#include <semaphore.h>

#include <cerrno>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define HOOK_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define HOOK_SANITIZED 1
#endif
#endif

namespace {
// Static TLS of the executable: reading it never allocates.
thread_local bool armed = false;
thread_local HookCounts counts;

void note_allocation(size_t bytes) {
    if (!armed) return;
    ++counts.allocations;
    counts.bytes += static_cast<int64_t>(bytes);
}
void note_lock() {
    if (armed) ++counts.locks;
}

void* allocate(size_t size, size_t alignment = 0) {
    if (size == 0) size = 1;  // new must return a unique pointer
    void* p = alignment > alignof(std::max_align_t) ? std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment)
                                                    : std::malloc(size);
    if (!p) throw std::bad_alloc();
#ifdef HOOK_SANITIZED
    note_allocation(size);  // malloc is the sanitizer's, not seen below
#endif
    return p;
}

template <typename Fn>
Fn next_definition(const char* name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}
}  // namespace

void arm_hook() {
    counts = {};
    armed = true;
}
HookCounts disarm_hook() {
    armed = false;
    return counts;
}

// --- operator new and delete ---
void* operator new(size_t size) { return allocate(size); }
void* operator new[](size_t size) { return allocate(size); }
void* operator new(size_t size, std::align_val_t a) { return allocate(size, static_cast<size_t>(a)); }
void* operator new[](size_t size, std::align_val_t a) { return allocate(size, static_cast<size_t>(a)); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    try { return allocate(size); } catch (...) { return nullptr; }
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    try { return allocate(size); } catch (...) { return nullptr; }
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t, std::align_val_t) noexcept { std::free(p); }

// --- the C allocator (glibc's, reached through its __libc_ names) ---
#ifdef HOOK_SANITIZED
bool hook_sees_malloc() { return false; }
#else
bool hook_sees_malloc() { return true; }

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);

void* malloc(size_t size) {
    note_allocation(size);
    return __libc_malloc(size);
}
void* calloc(size_t n, size_t size) {
    note_allocation(n * size);
    return __libc_calloc(n, size);
}
void* realloc(void* p, size_t size) {
    note_allocation(size);
    return __libc_realloc(p, size);
}
void* aligned_alloc(size_t alignment, size_t size) {
    note_allocation(size);
    return __libc_memalign(alignment, size);
}
void* memalign(size_t alignment, size_t size) {
    note_allocation(size);
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, size_t alignment, size_t size) {
    note_allocation(size);
    void* p = __libc_memalign(alignment, size);
    if (!p) return ENOMEM;
    *out = p;
    return 0;
}
}  // extern "C"
#endif

// --- locks ---
#define HOOK_LOCK(name, params, args)                                        \
    extern "C" int name params {                                             \
        note_lock();                                                         \
        static const auto next = next_definition<int(*) params>(#name);      \
        return next args;                                                    \
    }
HOOK_LOCK(pthread_mutex_lock, (pthread_mutex_t * m), (m))
HOOK_LOCK(pthread_mutex_trylock, (pthread_mutex_t * m), (m))
HOOK_LOCK(pthread_mutex_timedlock, (pthread_mutex_t * m, const timespec* t), (m, t))
HOOK_LOCK(pthread_rwlock_rdlock, (pthread_rwlock_t * l), (l))
HOOK_LOCK(pthread_rwlock_wrlock, (pthread_rwlock_t * l), (l))
HOOK_LOCK(pthread_rwlock_tryrdlock, (pthread_rwlock_t * l), (l))
HOOK_LOCK(pthread_rwlock_trywrlock, (pthread_rwlock_t * l), (l))
HOOK_LOCK(pthread_spin_lock, (pthread_spinlock_t * l), (l))
HOOK_LOCK(pthread_spin_trylock, (pthread_spinlock_t * l), (l))
HOOK_LOCK(pthread_cond_wait, (pthread_cond_t * c, pthread_mutex_t* m), (c, m))
HOOK_LOCK(pthread_cond_timedwait, (pthread_cond_t * c, pthread_mutex_t* m, const timespec* t), (c, m, t))
HOOK_LOCK(sem_wait, (sem_t * s), (s))
HOOK_LOCK(sem_trywait, (sem_t * s), (s))
HOOK_LOCK(sem_timedwait, (sem_t * s, const timespec* t), (s, t))
