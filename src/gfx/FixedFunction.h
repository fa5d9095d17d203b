// The mapping from Direct3D fixed-function state to the inputs of the one shader that
// emulates it. Pure arithmetic on the stored state: tests call it without a GPU.
#pragma once

#include "gfx/DeviceState.h"

namespace zamp {

// Mirrors the shader's std140 uniform block: only vec4, ivec4 and mat4 members.
struct FixedFunctionBlock {
    float worldView[16];
    float projection[16];
    float normalMatrix[16];
    float materialDiffuse[4];
    float materialAmbient[4];
    float materialSpecular[4];
    float materialEmissive[4];
    float globalAmbient[4];
    float fogColor[4];
    float fogParams[4];   // start, end, density, unused
    float pixelShift[4];  // x and y shift per unit of clip w, specular power, alpha reference 0..255
    float textureFactor[4];
    std::int32_t flags[4];      // lighting, specular enable, local viewer, light count
    std::int32_t fogFlags[4];   // fog mode (-1 off, 0 from specular alpha, 1 exp, 2 exp2, 3 linear), range fog, alpha func (0 no test), texture bound
    std::int32_t colorStage[4]; // op, arg1, arg2, unused
    std::int32_t alphaStage[4]; // op, arg1, arg2, unused
    struct LightBlock {
        float diffuse[4];
        float specular[4];
        float ambient[4];
        float position[4];  // camera space xyz, type
        float direction[4]; // camera space xyz (normalised), range
        float attenuation[4]; // a0, a1, a2, falloff
        float spot[4];      // cos(theta/2), cos(phi/2)
    } lights[kMaxActiveLights];
};
static_assert(sizeof(FixedFunctionBlock) == 3 * 64 + 9 * 16 + 4 * 16 + kMaxActiveLights * 7 * 16);

// The shader inputs for a draw with `state` into a target of the given size.
void buildFixedFunctionBlock(const DeviceState& state, int targetWidth, int targetHeight, FixedFunctionBlock& out);

// Stage 0 colour and alpha operations as the draw will run them: an operation that reads an
// unbound texture through an argument it uses selects the current (diffuse) colour instead.
struct StageOps {
    DWORD colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2;
};
StageOps effectiveStage0(const DeviceState& state);

} // namespace zamp
