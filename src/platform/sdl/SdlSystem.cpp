// Message boxes and the high-resolution counter on SDL2.
#include "platform/Platform.h"

#include <SDL2/SDL.h>

#include <cstring>

namespace zamp {

namespace {

// True once SDL video runs on a driver that can show a box.
bool displayAvailable() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
}

} // namespace

bool showMessageBox(const std::string& caption, const std::string& text) {
    if (!displayAvailable()) return false;
    return SDL_ShowSimpleMessageBox(0, caption.c_str(), text.c_str(), nullptr) == 0;
}

std::uint64_t performanceCounter() { return SDL_GetPerformanceCounter(); }
std::uint64_t performanceFrequency() { return SDL_GetPerformanceFrequency(); }

} // namespace zamp
