#include "core/alsa_quiet.h"

#include <dlfcn.h>

namespace {
// snd_lib_error_handler_t from <alsa/error.h>, declared here so that the
// build needs no ALSA headers.
using AlsaErrorHandler = void (*)(const char* file, int line, const char* function, int error, const char* format,
                                  ...);
using SetAlsaErrorHandler = int (*)(AlsaErrorHandler);

void ignore_alsa_message(const char*, int, const char*, int, const char*, ...) {}
}  // namespace

void quiet_alsa_library_messages() {
    // The name of ALSA's run-time library (Debian's libasound2); never
    // closed, see the header.
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!alsa) return;
    auto set_handler = reinterpret_cast<SetAlsaErrorHandler>(dlsym(alsa, "snd_lib_error_set_handler"));
    if (set_handler) set_handler(ignore_alsa_message);
}
