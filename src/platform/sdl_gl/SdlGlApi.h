// OpenGL 3.3 core on an SDL window: the context attributes, the context, and the OpenGL device
// presenting into the window.
#pragma once

#include "platform/sdl/SdlGraphicsApi.h"

namespace zamp {

class SdlGlApi final : public SdlGraphicsApi {
public:
    std::uint32_t prepareWindow() const override;
    // The result is a GlWindowGraphics (platform/gl/GlWindowGraphics.h).
    std::unique_ptr<WindowGraphics> attach(SDL_Window* window, int backBufferWidth, int backBufferHeight,
                                           bool offscreen) const override;
};

} // namespace zamp
