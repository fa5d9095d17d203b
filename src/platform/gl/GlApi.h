// The OpenGL API the device draws with: desktop OpenGL 3.3 core through libepoxy, or OpenGL
// ES 3.0 (WebGL2) in the WebAssembly build. The few places where the two differ are wrapped
// here, so the device's own code is the same for both.
#pragma once

#ifdef __EMSCRIPTEN__
#include <GLES3/gl3.h>
#else
#include <epoxy/gl.h>
#endif

#include <cstdint>

// The first lines of every shader: its GLSL dialect. ES has no default float precision in
// fragment shaders, so every precision is set, the same in both stages (their uniform blocks
// must match).
#ifdef __EMSCRIPTEN__
#define ZAMP_GLSL_VERSION                                                                         \
    "#version 300 es\nprecision highp float;\nprecision highp int;\nprecision highp sampler2D;\n"
#else
#define ZAMP_GLSL_VERSION "#version 330 core\n"
#endif

namespace zamp::gl {

// glClearDepth on desktop GL, glClearDepthf on ES.
void clearDepth(float z);

// Storage for an A8R8G8B8 texture of the bound GL_TEXTURE_2D, and uploading such pixels into
// all of it. Desktop GL takes A8R8G8B8's memory order (B, G, R, A) as it is; ES has no BGRA
// upload, so the pixels are reordered to R, G, B, A on the way.
void texImageArgb(int width, int height);
void texSubImageArgb(int width, int height, const std::uint32_t* argb);

// The bound read framebuffer's pixels as rows of R, G, B bytes in GL's order (from y = 0).
// ES reads only R, G, B, A for certain, so there the alpha is dropped after reading.
void readPixelsRgb(int width, int height, std::uint8_t* rgb);

} // namespace zamp::gl
