// The OpenGL API the device draws with: desktop OpenGL 3.3 core through libepoxy, or OpenGL
// ES 3.0 (WebGL2) in the WebAssembly build. The few places where the two differ are wrapped
// here, so the device's own code is the same for both.
#pragma once

#ifdef __EMSCRIPTEN__
#include <GLES3/gl3.h>
#else
#include <epoxy/gl.h>
#endif

#include <cstddef>
#include <cstdint>

#include "platform/gl/GlShaderSource.h"

namespace zamp::gl {

#ifdef __EMSCRIPTEN__
// The shaders' GLSL dialect.
inline constexpr GlslDialect kShaderDialect = GlslDialect::Essl300;
// WebGL2 cannot map a buffer for reading: frames are read straight into memory there.
inline constexpr bool kReadsBackThroughBuffers = false;
#else
inline constexpr GlslDialect kShaderDialect = GlslDialect::Glsl330;
inline constexpr bool kReadsBackThroughBuffers = true;
#endif

// glClearDepth on desktop GL, glClearDepthf on ES.
void clearDepth(float z);

// Storage for an A8R8G8B8 texture of the bound GL_TEXTURE_2D, and uploading such pixels into
// all of it. Desktop GL takes A8R8G8B8's memory order (B, G, R, A) as it is; ES has no BGRA
// upload, so the pixels are reordered to R, G, B, A on the way.
void texImageArgb(int width, int height);
void texSubImageArgb(int width, int height, const std::uint32_t* argb);

// The bound GL_PIXEL_PACK_BUFFER's first `bytes`, mapped for reading, and its unmapping.
// WebGL2 cannot map a buffer: there the map gives null (the device reads frames straight into
// memory instead, see kReadsBackThroughBuffers).
const void* mapPackBufferForReading(std::size_t bytes);
void unmapPackBuffer();

// The bound read framebuffer's pixels as rows of R, G, B bytes in GL's order (from y = 0).
// ES reads only R, G, B, A for certain, so there the alpha is dropped after reading.
void readPixelsRgb(int width, int height, std::uint8_t* rgb);

} // namespace zamp::gl
