// The GLSL source of the one generic fixed-function program: per-vertex lighting and fog,
// texture stage 0 and the alpha test, every choice read from its uniform block
// (GenericFixedFunctionBlock) and branched on per vertex and per fragment. The device draws
// with specialised programs (GlShaderSource.h); this one stays as their reference.
#pragma once

namespace zamp {

extern const char* const kGenericFixedFunctionVertexShader;
extern const char* const kGenericFixedFunctionFragmentShader;

} // namespace zamp
