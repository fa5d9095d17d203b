#include "platform/gl/GlStateCache.h"

namespace zamp {

void GlStateCache::enable(GLenum cap, bool on) {
    int* slot = cap == GL_BLEND ? &blend_ : cap == GL_DEPTH_TEST ? &depthTest_ : &cull_;
    if (*slot == int(on)) return;
    *slot = on;
    on ? glEnable(cap) : glDisable(cap);
    ++calls_;
}

void GlStateCache::blendFunc(GLenum src, GLenum dst) {
    if (blendSrc_ == src && blendDst_ == dst) return;
    blendSrc_ = src, blendDst_ = dst;
    glBlendFunc(src, dst);
    ++calls_;
}

void GlStateCache::depthFunc(GLenum func) {
    if (depthFunc_ == func) return;
    depthFunc_ = func;
    glDepthFunc(func);
    ++calls_;
}

void GlStateCache::depthMask(bool on) {
    if (depthMask_ == int(on)) return;
    depthMask_ = on;
    glDepthMask(on ? GL_TRUE : GL_FALSE);
    ++calls_;
}

void GlStateCache::colorMask(bool on) {
    if (colorMask_ == int(on)) return;
    colorMask_ = on;
    GLboolean b = on ? GL_TRUE : GL_FALSE;
    glColorMask(b, b, b, b);
    ++calls_;
}

void GlStateCache::blendColor(std::uint32_t argb) {
    if (blendColor_ == argb) return;
    blendColor_ = argb;
    auto channel = [argb](int shift) { return float((argb >> shift) & 0xFF) / 255.0f; };
    glBlendColor(channel(16), channel(8), channel(0), channel(24));
    ++calls_;
}

void GlStateCache::cullFace(GLenum face) {
    if (cullFace_ == face) return;
    cullFace_ = face;
    glCullFace(face);
    ++calls_;
}

void GlStateCache::bindFramebuffer(GLuint fbo) {
    if (fbo_ == fbo) return;
    fbo_ = fbo;
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    ++calls_;
}

void GlStateCache::viewport(int width, int height) {
    if (viewportW_ == width && viewportH_ == height) return;
    viewportW_ = width, viewportH_ = height;
    glViewport(0, 0, width, height);
    ++calls_;
}

void GlStateCache::bindTexture(GLuint texture) {
    if (texture_ == texture) return;
    texture_ = texture;
    glBindTexture(GL_TEXTURE_2D, texture);
    ++calls_;
}

void GlStateCache::bindVertexArray(GLuint vao) {
    if (vao_ == vao) return;
    vao_ = vao;
    glBindVertexArray(vao);
    ++calls_;
}

void GlStateCache::useProgram(GLuint program) {
    if (program_ == program) return;
    program_ = program;
    glUseProgram(program);
    ++calls_;
}

} // namespace zamp
