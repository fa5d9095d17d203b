// Compiling and linking GLSL programs; a failure throws an Error with the compiler's log.
#pragma once

#include "platform/gl/GlObjects.h"

namespace zamp {

gl::ProgramName linkProgram(const char* vertexSource, const char* fragmentSource);

// The size in bytes of the program's uniform block `name` after binding it to `binding`;
// -1 when the program has no such active block.
GLint bindUniformBlock(GLuint program, const char* name, GLuint binding);

} // namespace zamp
