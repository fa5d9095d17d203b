// RAII owners for OpenGL object names. A GL context must be current when they are made
// and destroyed; the device that made them outlives them.
#pragma once

#include "platform/gl/GlApi.h"

#include <utility>

namespace zamp::gl {

template <void (*Delete)(GLuint)>
class Name {
public:
    Name() = default;
    explicit Name(GLuint id) : id_(id) {}
    Name(Name&& o) noexcept : id_(std::exchange(o.id_, 0)) {}
    Name& operator=(Name&& o) noexcept {
        if (this != &o) {
            reset();
            id_ = std::exchange(o.id_, 0);
        }
        return *this;
    }
    ~Name() { reset(); }
    GLuint get() const { return id_; }
    void reset() {
        if (id_) Delete(id_);
        id_ = 0;
    }

private:
    GLuint id_ = 0;
};

inline void deleteTexture(GLuint id) { glDeleteTextures(1, &id); }
inline void deleteBuffer(GLuint id) { glDeleteBuffers(1, &id); }
inline void deleteVertexArray(GLuint id) { glDeleteVertexArrays(1, &id); }
inline void deleteFramebuffer(GLuint id) { glDeleteFramebuffers(1, &id); }
inline void deleteRenderbuffer(GLuint id) { glDeleteRenderbuffers(1, &id); }
inline void deleteProgram(GLuint id) { glDeleteProgram(id); }
inline void deleteShader(GLuint id) { glDeleteShader(id); }

using TextureName = Name<deleteTexture>;
using BufferName = Name<deleteBuffer>;
using VertexArrayName = Name<deleteVertexArray>;
using FramebufferName = Name<deleteFramebuffer>;
using RenderbufferName = Name<deleteRenderbuffer>;
using ProgramName = Name<deleteProgram>;
using ShaderName = Name<deleteShader>;

inline TextureName makeTexture() { GLuint id = 0; glGenTextures(1, &id); return TextureName(id); }
inline BufferName makeBuffer() { GLuint id = 0; glGenBuffers(1, &id); return BufferName(id); }
// A uniform buffer of `bytes` (contents undefined) bound to the block binding `binding`: three
// GL calls besides the name.
inline BufferName makeUniformBuffer(GLsizeiptr bytes, GLuint binding) {
    BufferName buffer = makeBuffer();
    glBindBuffer(GL_UNIFORM_BUFFER, buffer.get());
    glBufferData(GL_UNIFORM_BUFFER, bytes, nullptr, GL_DYNAMIC_DRAW);
    glBindBufferBase(GL_UNIFORM_BUFFER, binding, buffer.get());
    return buffer;
}
inline VertexArrayName makeVertexArray() { GLuint id = 0; glGenVertexArrays(1, &id); return VertexArrayName(id); }
inline FramebufferName makeFramebuffer() { GLuint id = 0; glGenFramebuffers(1, &id); return FramebufferName(id); }
inline RenderbufferName makeRenderbuffer() { GLuint id = 0; glGenRenderbuffers(1, &id); return RenderbufferName(id); }

} // namespace zamp::gl
