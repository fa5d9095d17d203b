#include "platform/gl/GlProgram.h"

#include "core/Error.h"

#include <string>

namespace zamp {

namespace {

gl::ShaderName compileShader(GLenum type, const char* source) {
    gl::ShaderName shader(glCreateShader(type));
    const GLuint id = shader.get();
    glShaderSource(id, 1, &source, nullptr);
    glCompileShader(id);
    GLint ok = 0;
    glGetShaderiv(id, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[2048] = {};
        glGetShaderInfoLog(id, sizeof log, nullptr, log);
        throw Error(std::string("Fixed-function shader does not compile: ") + log);
    }
    return shader;
}

} // namespace

gl::ProgramName linkProgram(const char* vertexSource, const char* fragmentSource) {
    const gl::ShaderName vs = compileShader(GL_VERTEX_SHADER, vertexSource);
    const gl::ShaderName fs = compileShader(GL_FRAGMENT_SHADER, fragmentSource);
    gl::ProgramName program(glCreateProgram());
    glAttachShader(program.get(), vs.get());
    glAttachShader(program.get(), fs.get());
    glLinkProgram(program.get());
    GLint ok = 0;
    glGetProgramiv(program.get(), GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[2048] = {};
        glGetProgramInfoLog(program.get(), sizeof log, nullptr, log);
        throw Error(std::string("Fixed-function shader does not link: ") + log);
    }
    // The program keeps what it linked; the shaders are released with their names.
    glDetachShader(program.get(), vs.get());
    glDetachShader(program.get(), fs.get());
    return program;
}

GLint bindUniformBlock(GLuint program, const char* name, GLuint binding) {
    const GLuint index = glGetUniformBlockIndex(program, name);
    if (index == GL_INVALID_INDEX) return -1;
    glUniformBlockBinding(program, index, binding);
    GLint size = 0;
    glGetActiveUniformBlockiv(program, index, GL_UNIFORM_BLOCK_DATA_SIZE, &size);
    return size;
}

} // namespace zamp
