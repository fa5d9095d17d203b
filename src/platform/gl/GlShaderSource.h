// The GLSL of the fixed-function emulation, generated for one shape (FixedFunctionShape):
// only the lights, fog formula, alpha comparison and stage operations that the shape names,
// with every value read from the frame block (FixedFunctionFrame, binding
// kFrameBlockBinding) and the draw rows (FixedFunctionDraw, uniform `drawRows`). The
// arithmetic is the generic program's (the tests' reference), expression for expression, so
// that pictures stay the same to the bit.
//
// Two dialects share everything but the first lines: GLSL 3.30 core for desktop OpenGL and
// GLSL ES 3.00 for OpenGL ES 3 and WebGL 2. Both flip y and map Direct3D's 0..w depth in the
// vertex shader, which needs no clip-control extension.
#pragma once

#include "gfx/FixedFunctionShape.h"

#include <string>

namespace zamp {

enum class GlslDialect { Glsl330, Essl300 };

inline constexpr unsigned kFrameBlockBinding = 0;
inline constexpr const char* kFrameBlockName = "FixedFunctionFrame";
inline constexpr const char* kDrawRowsName = "drawRows";
inline constexpr const char* kStageTextureName = "stageTexture";

std::string fixedFunctionVertexShader(const FixedFunctionShape& shape, GlslDialect dialect);
std::string fixedFunctionFragmentShader(const FixedFunctionShape& shape, GlslDialect dialect);

} // namespace zamp
