#include "platform/gl/GlResources.h"

#include <cstddef>

namespace zamp {

namespace {

// Direct3D's sampler defaults: point sampling, no mip-maps, wrap addressing. GL's own
// defaults would make a one-level texture incomplete.
void setSamplerDefaults() {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
}

} // namespace

GlSurface::GlSurface(int width, int height, GLuint colorTexture)
    : width_(width), height_(height), colorTexture_(colorTexture) {
    GLint previousTexture = 0, previousFbo = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previousTexture);
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previousFbo);
    if (colorTexture_ == 0) {
        ownColor_ = gl::makeTexture();
        colorTexture_ = ownColor_.get();
        glBindTexture(GL_TEXTURE_2D, colorTexture_);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
        setSamplerDefaults();
    }
    depth_ = gl::makeRenderbuffer();
    glBindRenderbuffer(GL_RENDERBUFFER, depth_.get());
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
    fbo_ = gl::makeFramebuffer();
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_.get());
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colorTexture_, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_.get());
    complete_ = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, GLuint(previousFbo));
    glBindTexture(GL_TEXTURE_2D, GLuint(previousTexture));
}

GlTexture::GlTexture(int width, int height, bool renderTarget, std::int64_t& liveObjects)
    : live_(liveObjects), width_(width), height_(height) {
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    texture_ = gl::makeTexture();
    glBindTexture(GL_TEXTURE_2D, texture_.get());
    gl::texImageArgb(width, height);
    setSamplerDefaults();
    glBindTexture(GL_TEXTURE_2D, GLuint(previous));
    if (glGetError() != GL_NO_ERROR) {
        texture_.reset();
        return;
    }
    if (renderTarget) surface_ = std::make_unique<GlSurface>(width, height, texture_.get());
}

void GlTexture::upload(const std::uint32_t* argb) {
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    glBindTexture(GL_TEXTURE_2D, texture_.get());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    gl::texSubImageArgb(width_, height_, argb);
    glBindTexture(GL_TEXTURE_2D, GLuint(previous));
    if (surface_) surface_->contentsReplaced();
}

GlMeshData::GlMeshData(const Mesh& mesh, std::int64_t& liveObjects) : live_(liveObjects) {
    vao_ = gl::makeVertexArray();
    vertices_ = gl::makeBuffer();
    indices_ = gl::makeBuffer();
    glBindVertexArray(vao_.get());
    glBindBuffer(GL_ARRAY_BUFFER, vertices_.get());
    auto vs = mesh.vertices();
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vs.size_bytes()), vs.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices_.get());
    if (mesh.has32BitIndices()) {
        auto is = mesh.indices32();
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(is.size_bytes()), is.data(), GL_STATIC_DRAW);
        indexType_ = GL_UNSIGNED_INT;
        indexCount_ = GLsizei(is.size());
    } else {
        auto is = mesh.indices16();
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(is.size_bytes()), is.data(), GL_STATIC_DRAW);
        indexType_ = GL_UNSIGNED_SHORT;
        indexCount_ = GLsizei(is.size());
    }
    constexpr GLsizei stride = sizeof(MeshVertex);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(MeshVertex, position)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(MeshVertex, normal)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(MeshVertex, u)));
    glBindVertexArray(0);
}

} // namespace zamp
