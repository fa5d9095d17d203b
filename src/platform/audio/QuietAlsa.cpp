#include "platform/audio/QuietAlsa.h"

#include <dlfcn.h>

namespace zamp {

namespace {

// ALSA's snd_lib_error_handler_t.
using ErrorHandler = void (*)(const char* file, int line, const char* function, int err, const char* fmt, ...);
using SetErrorHandler = int (*)(ErrorHandler handler);

void ignore(const char*, int, const char*, int, const char*, ...) {}

SetErrorHandler setter(void* library) {
    return library ? reinterpret_cast<SetErrorHandler>(dlsym(library, "snd_lib_error_set_handler")) : nullptr;
}

} // namespace

QuietAlsa::QuietAlsa() : library_(dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL)) {
    if (SetErrorHandler set = setter(library_)) set(&ignore);
}

QuietAlsa::~QuietAlsa() {
    if (!library_) return;
    if (SetErrorHandler set = setter(library_)) set(nullptr); // ALSA's own handler again
    dlclose(library_);
}

} // namespace zamp
