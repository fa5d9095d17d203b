// The GLSL source of the fixed-function emulation: per-vertex lighting and fog, texture
// stage 0, alpha test. Its uniform block is FixedFunctionBlock.
#pragma once

namespace zamp {

extern const char* const kFixedFunctionVertexShader;
extern const char* const kFixedFunctionFragmentShader;

} // namespace zamp
