// The GLSL source of the one generic fixed-function program: per-vertex lighting and fog,
// texture stage 0 and the alpha test, every choice read from its uniform block
// (GenericFixedFunctionBlock) and branched on per vertex and per fragment. The device draws
// with a program per shape (platform/gl/GlShaderSource.h); this one is their reference.
#pragma once

namespace zamp::test {

extern const char* const kGenericFixedFunctionVertexShader;
extern const char* const kGenericFixedFunctionFragmentShader;

} // namespace zamp::test
