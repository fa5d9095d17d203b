// A graphics API's part of a window: the context or surface on the window system's drawable and
// the device that draws into it. A window gets one from the glue between its window system and
// a graphics API (platform/sdl_gl: SDL and OpenGL; the web back end: the canvas and WebGL2), owns
// it and releases it before the drawable, so that no device object outlives its context.
#pragma once

#include "gfx/Device.h"

namespace zamp {

class WindowGraphics {
public:
    virtual ~WindowGraphics() = default;
    // Lives as long as this object.
    virtual Device& device() = 0;
};

} // namespace zamp
