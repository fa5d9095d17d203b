// Direct3D blend factors as OpenGL blend functions.
#pragma once

#include "gfx/D3DTypes.h"

#include "platform/gl/GlApi.h"

namespace zamp {

struct GlBlendFunc {
    GLenum src, dst;
    bool operator==(const GlBlendFunc&) const = default;
};

// The GL function for SRCBLEND/DESTBLEND. Values with no fixed-function meaning (0, 16, 17,
// 18 and up, and the two "both" factors as a destination) act as ONE for a source and ZERO
// for a destination: the blend of a device whose factors were never set.
GlBlendFunc glBlendFor(DWORD srcBlend, DWORD destBlend);

// True when the factor pair contains a value that the fallback above replaced.
bool usesBlendFallback(DWORD srcBlend, DWORD destBlend);

inline GLenum glCompareFor(DWORD func) { return GL_NEVER + (func - D3DCMP_NEVER); }

} // namespace zamp
