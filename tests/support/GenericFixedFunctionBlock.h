// The inputs of the generic fixed-function program, which reads every choice (light kinds,
// fog formula, alpha comparison, stage operations) from its uniform block and branches on it
// per vertex and per fragment. The device's programs, one per shape, replaced it; it stays in
// the tests as the reference that their pictures are compared with.
#pragma once

#include "gfx/FixedFunction.h"

namespace zamp {

// Mirrors the generic shader's std140 uniform block: only vec4, ivec4 and mat4 members (the
// constants and lights pack as in the frame block).
struct GenericFixedFunctionBlock {
    float worldView[16];
    float projection[16];
    float normalMatrix[16];
    float materialDiffuse[4];
    float materialAmbient[4];
    float materialSpecular[4];
    float materialEmissive[4];
    FixedFunctionConstants constants; // with the specular power in `spare`
    std::int32_t flags[4];      // lighting, specular enable, local viewer, light count
    std::int32_t fogFlags[4];   // fog mode (-1 off, 0 from specular alpha, 1 exp, 2 exp2, 3 linear), range fog, alpha func (0 no test), texture bound
    std::int32_t colorStage[4]; // op, arg1, arg2, unused
    std::int32_t alphaStage[4]; // op, arg1, arg2, unused
    FixedFunctionLight lights[kMaxActiveLights];
};
static_assert(sizeof(GenericFixedFunctionBlock) == 3 * 64 + 9 * 16 + 4 * 16 + kMaxActiveLights * 7 * 16);

// The generic shader's inputs for a draw with `state` into a target of the given size.
void buildGenericFixedFunctionBlock(const DeviceState& state, int targetWidth, int targetHeight,
                                    GenericFixedFunctionBlock& out);

} // namespace zamp
