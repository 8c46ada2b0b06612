/* Preloaded into the ThreadSanitizer run of the demo only: every malloc'd
 * block gets 16 spare bytes at its end.
 *
 * Why: Mesa 22.3's display-list compiler (swrast_dri.so) can write a
 * continuation pointer 4 bytes past the end of a 1024-byte list block. With
 * glibc's allocator (and ASan's, and valgrind's) those bytes land in slack
 * or a redzone and read back intact; ThreadSanitizer's allocator places the
 * next block right behind, so the pointer is corrupted and the driver
 * crashes when SDL_GL_DeleteContext frees the lists at exit. valgrind
 * reports the write itself (see valgrind.supp). The padding gives the
 * driver the slack it has everywhere else; it is not part of the program. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stddef.h>

enum { spare_bytes = 16 };

void* malloc(size_t size) {
    static void* (*next)(size_t);  /* ThreadSanitizer's malloc */
    if (!next) next = (void* (*)(size_t))dlsym(RTLD_NEXT, "malloc");
    return next(size + spare_bytes);
}
