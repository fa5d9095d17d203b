#include "platform/gl/GlBlendTable.h"

#include <array>

namespace zamp {

namespace {

constexpr GLenum kUnmapped = 0xFFFFFFFF;

// Indexed by D3DBLEND value; 12 and 13 are handled apart because they set both factors.
constexpr std::array<GLenum, 16> kFactor = {
    kUnmapped,                   // 0: undefined
    GL_ZERO,                     // ZERO
    GL_ONE,                      // ONE
    GL_SRC_COLOR,                // SRCCOLOR
    GL_ONE_MINUS_SRC_COLOR,      // INVSRCCOLOR
    GL_SRC_ALPHA,                // SRCALPHA
    GL_ONE_MINUS_SRC_ALPHA,      // INVSRCALPHA
    GL_DST_ALPHA,                // DESTALPHA (the back buffer has no alpha: GL reads 1)
    GL_ONE_MINUS_DST_ALPHA,      // INVDESTALPHA
    GL_DST_COLOR,                // DESTCOLOR
    GL_ONE_MINUS_DST_COLOR,      // INVDESTCOLOR
    GL_SRC_ALPHA_SATURATE,       // SRCALPHASAT (source only)
    kUnmapped,                   // BOTHSRCALPHA
    kUnmapped,                   // BOTHINVSRCALPHA
    GL_CONSTANT_COLOR,           // BLENDFACTOR (the constant colour is D3DRS_BLENDFACTOR's)
    GL_ONE_MINUS_CONSTANT_COLOR, // INVBLENDFACTOR
};
static_assert(kFactor.size() == D3DBLEND_INVBLENDFACTOR + 1);

GLenum factor(DWORD v) { return v < kFactor.size() ? kFactor[v] : kUnmapped; }

} // namespace

GlBlendFunc glBlendFor(DWORD srcBlend, DWORD destBlend) {
    // The obsolete "both" factors set the destination too and ignore DESTBLEND.
    if (srcBlend == D3DBLEND_BOTHSRCALPHA) return {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA};
    if (srcBlend == D3DBLEND_BOTHINVSRCALPHA) return {GL_ONE_MINUS_SRC_ALPHA, GL_SRC_ALPHA};
    GLenum src = factor(srcBlend), dst = factor(destBlend);
    if (src == kUnmapped) src = GL_ONE;
    if (dst == kUnmapped || dst == GL_SRC_ALPHA_SATURATE) dst = GL_ZERO;
    return {src, dst};
}

bool usesBlendFallback(DWORD srcBlend, DWORD destBlend) {
    if (srcBlend == D3DBLEND_BOTHSRCALPHA || srcBlend == D3DBLEND_BOTHINVSRCALPHA) return false;
    GLenum dst = factor(destBlend);
    return factor(srcBlend) == kUnmapped || dst == kUnmapped || dst == GL_SRC_ALPHA_SATURATE;
}

} // namespace zamp
