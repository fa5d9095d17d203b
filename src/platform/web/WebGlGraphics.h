// WebGL2 on the page's canvas: the context and the OpenGL device presenting into the canvas.
// The browser's counterpart of platform/sdl_gl.
#pragma once

#include "platform/WindowGraphics.h"

#include <memory>

namespace zamp {

// Throws "pD3D->CreateDevice() Failed. (this browser has no WebGL2)" or the device's own
// reason. The result is a GlWindowGraphics (platform/gl/GlWindowGraphics.h).
std::unique_ptr<WindowGraphics> openWebGlGraphics(const char* canvas, int backBufferWidth, int backBufferHeight);

} // namespace zamp
