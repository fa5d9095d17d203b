// The mapping from Direct3D fixed-function state to the inputs of the shaders that emulate
// it, split by how often they change: the shape (FixedFunctionShape.h) picks the program,
// the frame block holds what a scene layer sets once (projection, lights, fog, ambient
// light), and the draw rows what changes from mesh to mesh (matrices and material). Pure
// arithmetic on the stored state: tests call it without a GPU.
#pragma once

#include "gfx/DeviceState.h"
#include "gfx/StateTable.h"

namespace zamp {

// A light as the shaders read it, in camera space.
struct FixedFunctionLight {
    float diffuse[4];
    float specular[4];
    float ambient[4];
    // Four vec4 in the blocks, each a vector and a number (a vec3 and a float in std140).
    float position[3]; // camera space
    float type;        // a D3DLIGHTTYPE
    float direction[3]; // camera space, normalised
    float range;
    float attenuation[3]; // a0, a1, a2
    float falloff;        // the spot light's exponent between the cones
    float spot[4];        // cos(theta/2), cos(phi/2)
};
static_assert(sizeof(FixedFunctionLight) == 7 * 16);

// The values a scene layer sets once, five vec4 in a row in the frame block (and in the
// tests' generic reference block).
struct FixedFunctionConstants {
    float globalAmbient[4];
    float fogColor[4];
    float fogParams[4]; // start, end, density, unused
    // One vec4 in the blocks (a vec2 and two floats in std140).
    float pixelShift[2];  // x and y shift per unit of clip w
    float spare;          // 0; the generic reference block keeps its specular power here
    float alphaReference; // 0..255
    float textureFactor[4];
};
static_assert(sizeof(FixedFunctionConstants) == 5 * 16);
void putFixedFunctionConstants(const DeviceState& state, int targetWidth, int targetHeight, FixedFunctionConstants& out);

// Mirrors the std140 uniform block FixedFunctionFrame: only vec4 and mat4 members.
struct FixedFunctionFrame {
    float projection[16];
    FixedFunctionConstants constants;
    FixedFunctionLight lights[kMaxActiveLights]; // the active ones, in enabling order
};
static_assert(sizeof(FixedFunctionFrame) == 64 + 5 * 16 + kMaxActiveLights * sizeof(FixedFunctionLight));

// The frame block for draws with `state` into a target of the given size.
void buildFixedFunctionFrame(const DeviceState& state, int targetWidth, int targetHeight, FixedFunctionFrame& out);

// The per-draw uniform rows (vec4 each): the world-view matrix, the normal matrix's three
// rows, then the material. Matrices arrive in Direct3D's row-vector memory order; GLSL
// reads each row as a column, so M * v there is v * M here.
struct FixedFunctionDraw {
    static constexpr int kMatrixRows = 7;
    static constexpr int kRows = 12;
    float rows[kRows][4];
};
// Rows 0-3 the world-view matrix, 4-6 its normal matrix.
void putDrawMatrices(const DeviceState& state, FixedFunctionDraw& out);
// Rows 7-11: diffuse, ambient, specular, emissive, (power, 0, 0, 0).
void putDrawMaterial(const Material& material, FixedFunctionDraw& out);

// Which derived inputs a change of a transform makes stale (render states and texture stage
// states: their rows in StateTable.h).
unsigned fixedFunctionInputsOfTransform(DWORD type);

// Stage 0 colour and alpha operations as the draw will run them: an operation that reads an
// unbound texture through an argument it uses selects the current (diffuse) colour instead.
struct StageOps {
    DWORD colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2;
};
StageOps effectiveStage0(const DeviceState& state);

// The active lights of `state` moved into the camera space of its view; returns their count.
int putActiveLights(const DeviceState& state, FixedFunctionLight (&out)[kMaxActiveLights]);

} // namespace zamp
