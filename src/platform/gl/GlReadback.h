// Frames read back through pixel buffer objects: starting a readback queues a copy of the
// target into a buffer, which the driver fills once the frame is drawn, and the pixels are
// taken out when the readback is finished, so that drawing can go on in between. Pixels are
// read as RGBA, the format every OpenGL and OpenGL ES implementation reads, and stored as RGB.
#pragma once

#include "gfx/Pixels.h"
#include "platform/gl/GlObjects.h"
#include "platform/gl/GlStateCache.h"

#include <array>

namespace zamp {

class GlReadback {
public:
    explicit GlReadback(GlStateCache& cache) : cache_(cache) {}

    // Begins reading the bound framebuffer's width x height pixels into `into`. With every
    // buffer in use, the oldest readback is finished first (and may throw as finishAll does).
    void start(int width, int height, RgbImage& into);
    // Finishes every readback begun, oldest first. Throws an Error when the driver cannot
    // give a buffer's pixels back; the readbacks after it are still finished.
    void finishAll();

private:
    struct Slot {
        gl::BufferName buffer;
        std::size_t capacity = 0;
        RgbImage* into = nullptr;
    };
    void finishOldest();

    GlStateCache& cache_;
    std::array<Slot, 3> slots_;
    std::size_t oldest_ = 0, pending_ = 0;
};

} // namespace zamp
