// Direct3D blend factors and compare functions as their GL counterparts.
#include "platform/gl/GlBlendTable.h"

#include <gtest/gtest.h>

namespace zamp {
namespace {

TEST(BlendTable, EveryFactorMapsAndUnknownOnesFallBack) {
    const GLenum expected[] = {0, GL_ZERO, GL_ONE, GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR, GL_SRC_ALPHA,
                               GL_ONE_MINUS_SRC_ALPHA, GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA, GL_DST_COLOR,
                               GL_ONE_MINUS_DST_COLOR, GL_SRC_ALPHA_SATURATE};
    for (DWORD v = 1; v <= 11; ++v) {
        EXPECT_EQ(glBlendFor(v, D3DBLEND_ZERO).src, expected[v]) << v;
        EXPECT_FALSE(usesBlendFallback(v, D3DBLEND_ZERO)) << v;
    }
    for (DWORD v = 1; v <= 10; ++v) EXPECT_EQ(glBlendFor(D3DBLEND_ONE, v).dst, expected[v]) << v;
    EXPECT_EQ(glBlendFor(D3DBLEND_BLENDFACTOR, D3DBLEND_INVBLENDFACTOR),
              (GlBlendFunc{GL_CONSTANT_COLOR, GL_ONE_MINUS_CONSTANT_COLOR}));
    EXPECT_EQ(glBlendFor(D3DBLEND_BOTHSRCALPHA, D3DBLEND_ONE), (GlBlendFunc{GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA}));
    EXPECT_EQ(glBlendFor(D3DBLEND_BOTHINVSRCALPHA, D3DBLEND_ONE), (GlBlendFunc{GL_ONE_MINUS_SRC_ALPHA, GL_SRC_ALPHA}));
    for (DWORD bad : {0u, 16u, 17u, 18u, 1000u}) {
        EXPECT_EQ(glBlendFor(bad, bad), (GlBlendFunc{GL_ONE, GL_ZERO})) << bad;
        EXPECT_TRUE(usesBlendFallback(bad, D3DBLEND_ZERO));
    }
    EXPECT_EQ(glBlendFor(D3DBLEND_ONE, D3DBLEND_SRCALPHASAT).dst, GLenum(GL_ZERO)); // source-only factor
    EXPECT_EQ(glCompareFor(D3DCMP_NEVER), GLenum(GL_NEVER));
    EXPECT_EQ(glCompareFor(D3DCMP_ALWAYS), GLenum(GL_ALWAYS));
}

} // namespace
} // namespace zamp
