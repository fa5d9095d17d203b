// The GL objects behind surfaces, textures and meshes of the OpenGL device.
#pragma once

#include "platform/gl/GlObjects.h"
#include "gfx/Mesh.h"
#include "gfx/Texture.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace zamp {

// One device object alive: counted up while it exists, so that a device can tell how many of
// its objects the player still holds (a show rebuilt over and over must not leak them).
class LiveToken {
public:
    explicit LiveToken(std::int64_t& count) : count_(count) { ++count_; }
    ~LiveToken() { --count_; }
    LiveToken(const LiveToken&) = delete;
    LiveToken& operator=(const LiveToken&) = delete;

private:
    std::int64_t& count_;
};

// A framebuffer with a colour buffer and a 16-bit depth buffer of its own size, so a
// render target of any size draws with correct depth.
class GlSurface final : public Surface {
public:
    // Draws into `colorTexture` (not owned); a surface without one gets its own RGB colour
    // texture, which reads destination alpha as 1 like Direct3D's X8R8G8B8 back buffer.
    GlSurface(int width, int height, GLuint colorTexture);
    int width() const override { return width_; }
    int height() const override { return height_; }
    GLuint framebuffer() const { return fbo_.get(); }
    GLuint colorTexture() const { return colorTexture_; }
    bool complete() const { return complete_; }

    // The values a clear left in the buffers while nothing has drawn into them since: a clear
    // to the same values changes no pixel and is skipped. A frame whose meshes are all out of
    // view then no longer pays for clearing buffers that hold what the clear would write.
    struct ClearedContents {
        std::optional<D3DCOLOR> color;
        std::optional<float> depth;
    };
    ClearedContents& cleared() { return cleared_; }
    void drawnInto(bool depthWritten) {
        cleared_.color.reset();
        if (depthWritten) cleared_.depth.reset();
    }
    void contentsReplaced() { cleared_ = {}; }

private:
    int width_, height_;
    ClearedContents cleared_; // nothing known of a new surface's contents
    gl::TextureName ownColor_;
    GLuint colorTexture_;
    gl::RenderbufferName depth_;
    gl::FramebufferName fbo_;
    bool complete_ = false;
};

class GlTexture final : public Texture {
public:
    GlTexture(int width, int height, bool renderTarget, std::int64_t& liveObjects);
    int width() const override { return width_; }
    int height() const override { return height_; }
    Surface* renderSurface() override { return surface_.get(); }
    void upload(const std::uint32_t* argb) override;
    GLuint name() const { return texture_.get(); }
    bool valid() const { return texture_.get() != 0 && (!surface_ || surface_->complete()); }

private:
    LiveToken live_;
    int width_, height_;
    gl::TextureName texture_;
    std::unique_ptr<GlSurface> surface_;
};

class GlMeshData final : public Mesh::DeviceData {
public:
    GlMeshData(const Mesh& mesh, std::int64_t& liveObjects);
    GLuint vertexArray() const { return vao_.get(); }
    GLsizei indexCount() const { return indexCount_; }
    GLenum indexType() const { return indexType_; }

private:
    LiveToken live_;
    gl::VertexArrayName vao_;
    gl::BufferName vertices_;
    gl::BufferName indices_;
    GLsizei indexCount_;
    GLenum indexType_;
};

} // namespace zamp
