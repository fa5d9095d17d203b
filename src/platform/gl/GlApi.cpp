#include "platform/gl/GlApi.h"

#include <cstddef>
#include <vector>

namespace zamp::gl {

#ifdef __EMSCRIPTEN__

void clearDepth(float z) { glClearDepthf(z); }

void texImageArgb(int width, int height) {
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
}

void texSubImageArgb(int width, int height, const std::uint32_t* argb) {
    const std::size_t count = std::size_t(width) * std::size_t(height);
    std::vector<std::uint32_t> rgba(count);
    // As bytes in memory, A8R8G8B8 is B, G, R, A and the upload wants R, G, B, A: swap the
    // lowest and the third byte of each little-endian word.
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t p = argb[i];
        rgba[i] = (p & 0xFF00FF00u) | ((p >> 16) & 0xFFu) | ((p & 0xFFu) << 16);
    }
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
}

void readPixelsRgb(int width, int height, std::uint8_t* rgb) {
    const std::size_t count = std::size_t(width) * std::size_t(height);
    std::vector<std::uint8_t> rgba(count * 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    for (std::size_t i = 0; i < count; ++i) {
        rgb[3 * i] = rgba[4 * i];
        rgb[3 * i + 1] = rgba[4 * i + 1];
        rgb[3 * i + 2] = rgba[4 * i + 2];
    }
}

const void* mapPackBufferForReading(std::size_t) { return nullptr; }

void unmapPackBuffer() {}

#else

void clearDepth(float z) { glClearDepth(z); }

const void* mapPackBufferForReading(std::size_t bytes) {
    return glMapBufferRange(GL_PIXEL_PACK_BUFFER, 0, GLsizeiptr(bytes), GL_MAP_READ_BIT);
}

void unmapPackBuffer() { glUnmapBuffer(GL_PIXEL_PACK_BUFFER); }

void texImageArgb(int width, int height) {
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
}

void texSubImageArgb(int width, int height, const std::uint32_t* argb) {
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, argb);
}

void readPixelsRgb(int width, int height, std::uint8_t* rgb) {
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb);
}

#endif

} // namespace zamp::gl
