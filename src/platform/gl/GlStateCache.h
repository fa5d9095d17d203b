// The GL state the device last set, so that a draw issues GL calls only for what changed.
// Every GL call the device makes goes through here or is counted with `count`, which gives
// the benchmark its calls-per-frame figure.
#pragma once

#include "platform/gl/GlApi.h"

#include <cstdint>

namespace zamp {

class GlStateCache {
public:
    void enable(GLenum cap, bool on);
    void blendFunc(GLenum src, GLenum dst);
    void depthFunc(GLenum func);
    void depthMask(bool on);
    void cullFace(GLenum face);
    void bindFramebuffer(GLuint fbo);
    void viewport(int width, int height);
    void bindTexture(GLuint texture);
    void bindVertexArray(GLuint vao);
    void colorMask(bool on);
    // The constant colour of the blend factors, as a D3DCOLOR (A8R8G8B8).
    void blendColor(std::uint32_t argb);
    void useProgram(GLuint program);
    // Something else changed the vertex array binding.
    void forgetVertexArray() { vao_ = 0xFFFFFFFF; }
    // A new texture or framebuffer may carry the name of one deleted while bound (GL then
    // bound 0 in its place), which the cache would take for bound still.
    void forgetTextureAndFramebuffer() { texture_ = fbo_ = 0xFFFFFFFF; }

    // Forget everything, e.g. after code outside the cache touched GL.
    void invalidate() {
        auto calls = calls_;
        *this = GlStateCache{};
        calls_ = calls;
    }
    void count(std::uint64_t n = 1) { calls_ += n; }
    std::uint64_t calls() const { return calls_; }

private:
    static constexpr int kUnknown = -1;
    // No GL enum has this value; GL_ZERO is 0, so 0 would take ZERO/ZERO blending for set.
    static constexpr GLenum kUnknownEnum = 0xFFFFFFFF;
    int blend_ = kUnknown, depthTest_ = kUnknown, cull_ = kUnknown;
    GLenum blendSrc_ = kUnknownEnum, blendDst_ = kUnknownEnum, depthFunc_ = kUnknownEnum, cullFace_ = kUnknownEnum;
    int depthMask_ = kUnknown, colorMask_ = kUnknown;
    GLuint fbo_ = 0xFFFFFFFF, texture_ = 0xFFFFFFFF, vao_ = 0xFFFFFFFF, program_ = 0xFFFFFFFF;
    int viewportW_ = -1, viewportH_ = -1;
    std::uint64_t blendColor_ = ~std::uint64_t{0}; // no D3DCOLOR has this value
    std::uint64_t calls_ = 0;
};

} // namespace zamp
