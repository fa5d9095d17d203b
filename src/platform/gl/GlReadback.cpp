#include "platform/gl/GlReadback.h"

#include "core/Error.h"

#include <exception>

namespace zamp {

void GlReadback::start(int width, int height, RgbImage& into) {
    if (pending_ == slots_.size()) finishOldest();
    Slot& slot = slots_[(oldest_ + pending_) % slots_.size()];
    ++pending_;
    into.width = width;
    into.height = height;
    into.pixels.resize(std::size_t(width) * std::size_t(height) * 3);
    slot.into = &into;

    const std::size_t bytes = std::size_t(width) * std::size_t(height) * 4;
    if (slot.buffer.get() == 0) slot.buffer = gl::makeBuffer();
    glBindBuffer(GL_PIXEL_PACK_BUFFER, slot.buffer.get());
    if (slot.capacity != bytes) {
        glBufferData(GL_PIXEL_PACK_BUFFER, GLsizeiptr(bytes), nullptr, GL_STREAM_READ);
        slot.capacity = bytes;
        cache_.count();
    }
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    cache_.count(3);
}

void GlReadback::finishAll() {
    std::exception_ptr failure;
    while (pending_ > 0) {
        try {
            finishOldest();
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
    }
    if (failure) std::rethrow_exception(failure);
}

void GlReadback::finishOldest() {
    Slot& slot = slots_[oldest_];
    oldest_ = (oldest_ + 1) % slots_.size();
    --pending_;
    RgbImage& into = *slot.into;
    slot.into = nullptr;
    glBindBuffer(GL_PIXEL_PACK_BUFFER, slot.buffer.get());
    const auto* rgba = static_cast<const std::uint8_t*>(gl::mapPackBufferForReading(slot.capacity));
    if (rgba) {
        std::uint8_t* rgb = into.pixels.data();
        const std::size_t count = std::size_t(into.width) * std::size_t(into.height);
        for (std::size_t i = 0; i < count; ++i, rgb += 3, rgba += 4) rgb[0] = rgba[0], rgb[1] = rgba[1], rgb[2] = rgba[2];
        gl::unmapPackBuffer();
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    cache_.count(rgba ? 4 : 3);
    // Black pictures written as if they were the frames would be a failure reported as success.
    if (!rgba) throw Error("A frame could not be read back from the device.");
}

} // namespace zamp
