// What a graphics API brings to an SDL window: the window flags and attributes it needs before
// the window exists, then its context or surface on the window and the device drawing into it.
// OpenGL's is in platform/sdl_gl; a Vulkan or Metal device would bring its own beside it
// (SDL_WINDOW_VULKAN and a surface, SDL_WINDOW_METAL and a view).
#pragma once

#include "platform/WindowGraphics.h"

#include <cstdint>
#include <memory>

struct SDL_Window;

namespace zamp {

class SdlGraphicsApi {
public:
    virtual ~SdlGraphicsApi() = default;
    // Sets the attributes the API needs before the window is created; returns the window flags
    // it needs.
    virtual std::uint32_t prepareWindow() const = 0;
    // The context or surface on `window` and the device with a back buffer of the given size.
    // Offscreen, the device never presents to the window. Throws "pD3D->CreateDevice()
    // Failed. (<reason>)".
    virtual std::unique_ptr<WindowGraphics> attach(SDL_Window* window, int backBufferWidth, int backBufferHeight,
                                                   bool offscreen) const = 0;
};

} // namespace zamp
