// What shapes the code of the fixed-function shader: the state that decides which lights are
// evaluated and how, the fog formula, the alpha comparison and texture stage 0's operations.
// Draws with equal shapes run the same program; everything else the shader needs is a
// uniform. Normalised, so that states that draw alike share one shape: arguments an operation
// does not read, the local viewer without specular light, range fog without fog, and an alpha
// test that always passes are all left out.
#pragma once

#include "gfx/DeviceState.h"

#include <cstdint>

namespace zamp {

// Fog as the shader computes it. Constant: fog enabled without a formula (the factor is 1).
enum class FogFormula : std::uint8_t { Off, Constant, Exp, Exp2, Linear };

// The operations of stage 0 the shader carries out; any other behaves as SelectArg1.
enum class StageOperation : std::uint8_t { SelectArg1, SelectArg2, Modulate, Modulate2x, Modulate4x, Add, AddSigned, Subtract };

// Where an argument comes from; any other source reads the diffuse (current) colour.
enum class StageSource : std::uint8_t { Diffuse, Texture, Factor, Specular };

struct StageArgument {
    StageSource source = StageSource::Diffuse;
    bool complement = false;
    bool alphaReplicate = false;
    bool operator==(const StageArgument&) const = default;
};

struct StageCombiner {
    StageOperation operation = StageOperation::SelectArg1;
    StageArgument arg1, arg2;
    bool operator==(const StageCombiner&) const = default;
    bool reads(StageSource source) const;
};

struct FixedFunctionShape {
    bool lighting = false;
    bool specular = false;     // specular light is added (only with lighting)
    bool localViewer = false;  // specular half-vector from the eye (only with specular light)
    int lightCount = 0;        // with lighting
    D3DLIGHTTYPE lightTypes[kMaxActiveLights] = {};
    FogFormula fog = FogFormula::Off;
    bool rangeFog = false;     // distance instead of depth (only with Exp, Exp2, Linear)
    DWORD alphaTest = 0;       // a D3DCMP_* that can fail (NEVER to GREATEREQUAL), 0 for none
    bool texture = false;      // a texture is bound and an argument reads it
    StageCombiner color, alpha;

    bool operator==(const FixedFunctionShape&) const = default;

    // Every field in one number: equal shapes, equal keys.
    std::uint64_t key() const;
    // The fragment shader reads the vertex's specular colour.
    bool usesSpecularColour() const;
};

FixedFunctionShape fixedFunctionShape(const DeviceState& state);

} // namespace zamp
