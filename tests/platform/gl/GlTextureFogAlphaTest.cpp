// After lighting: texture addressing outside 0..1, the three fog modes with range and depth
// distances, and all eight alpha compare functions, on the OpenGL device.
#include "DeviceFixture.h"

#include <cmath>

namespace zamp {
namespace {

using test::DeviceFixture;
using test::pixelAt;

using GlTextureFogAlpha = DeviceFixture;

TEST_F(GlTextureFogAlpha, CoordinatesOutsideZeroToOneWrap) {
    // A 2 by 2 texture: red, green / blue, white. A quad over the whole target with
    // coordinates from `from` to `from + 2` shows it twice in each direction, each time the
    // same way round, whatever whole number the range starts at.
    auto texture = d.createTexture(2, 2, 0, D3DFMT_A8R8G8B8);
    const std::uint32_t texels[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    texture->upload(texels);
    d.setTexture(0, texture.get());
    material({}, {}, {1, 1, 1, 1});
    const test::Rgb red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, white{255, 255, 255};
    for (float from : {0.0f, 1.0f, -1.0f, -3.0f, 5.0f}) {
        SCOPED_TRACE(from);
        d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1, 0);
        d.drawSubset(rect(0, 0, 64, 64, 1, {0, 0, -1}, false, from, from, from + 2, from + 2), 0);
        const RgbImage image = d.readRenderTarget();
        // Each texel covers 16 by 16 pixels; probe the middle of each.
        for (int repeatY = 0; repeatY < 2; ++repeatY)
            for (int repeatX = 0; repeatX < 2; ++repeatX) {
                const int x = repeatX * 32 + 8, y = repeatY * 32 + 8;
                EXPECT_PIXEL_NEAR(image, x, y, 1, red.r, red.g, red.b);
                EXPECT_PIXEL_NEAR(image, x + 16, y, 1, green.r, green.g, green.b);
                EXPECT_PIXEL_NEAR(image, x, y + 16, 1, blue.r, blue.g, blue.b);
                EXPECT_PIXEL_NEAR(image, x + 16, y + 16, 1, white.r, white.g, white.b);
            }
    }
}

TEST_F(GlTextureFogAlpha, FogModesAndDistances) {
    // A small blue quad at a point, fog red: the pixel is (1 - f) red and f blue for the
    // fog factor f of that point. Depth fog measures |z|, range fog the distance from the
    // eye; the point (6, 8, 1) lies sqrt(101) = 10.05 from it. The values below are
    // Direct3D's: linear (end - d) / (end - start), exp e^(-density d),
    // exp2 e^(-(density d)^2).
    struct Case {
        const char* name;
        DWORD mode;
        bool range;
        float start, end, density;
        int x, y;
        float z, f;
    } cases[] = {
        {"linear, depth", D3DFOG_LINEAR, false, 1, 9, 0, 20, 20, 3, 0.75f},
        {"linear, depth, start past end", D3DFOG_LINEAR, false, 9, 1, 0, 20, 20, 3, 0.25f},
        {"linear, range", D3DFOG_LINEAR, true, 0, 20, 0, 6, 8, 1, 0.49751f},
        {"linear, depth, off the axis", D3DFOG_LINEAR, false, 0, 20, 0, 6, 8, 1, 0.95f},
        {"exp, depth", D3DFOG_EXP, false, 0, 0, 0.2f, 20, 20, 3, 0.54881f},
        {"exp2, depth", D3DFOG_EXP2, false, 0, 0, 0.2f, 20, 20, 3, 0.69768f},
        {"exp, range", D3DFOG_EXP, true, 0, 0, 0.05f, 6, 8, 1, 0.60502f},
        {"exp2, range", D3DFOG_EXP2, true, 0, 0, 0.05f, 6, 8, 1, 0.77686f},
        {"exp, depth, dense", D3DFOG_EXP, false, 0, 0, 0.5f, 20, 20, 3, 0.22313f},
        {"exp2, depth, dense", D3DFOG_EXP2, false, 0, 0, 0.5f, 20, 20, 3, 0.10540f},
    };
    d.setRenderState(D3DRS_FOGENABLE, 1);
    d.setRenderState(D3DRS_FOGCOLOR, 0xFFFF0000);
    material({0, 0, 0, 1}, {}, {0, 0, 1, 1});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        d.setRenderState(D3DRS_FOGVERTEXMODE, c.mode);
        d.setRenderState(D3DRS_RANGEFOGENABLE, c.range);
        d.setRenderState(D3DRS_FOGSTART, floatBits(c.start));
        d.setRenderState(D3DRS_FOGEND, floatBits(c.end));
        d.setRenderState(D3DRS_FOGDENSITY, floatBits(c.density));
        d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1, 0);
        d.drawSubset(dot(c.x, c.y, c.z), 0);
        const int blue = int(std::lround(255 * c.f));
        EXPECT_RGB(probe(c.x, c.y), 255 - blue, 0, blue);
    }
}

TEST_F(GlTextureFogAlpha, EveryAlphaCompareFunction) {
    // Reference 128 (only the low byte of 0x380 counts); quads of alpha 127, 128 and 129
    // are kept (white) or discarded (the black background).
    struct Case {
        DWORD func;
        bool below, equal, above;
    } cases[] = {
        {D3DCMP_NEVER, false, false, false},       {D3DCMP_LESS, true, false, false},
        {D3DCMP_EQUAL, false, true, false},        {D3DCMP_LESSEQUAL, true, true, false},
        {D3DCMP_GREATER, false, false, true},      {D3DCMP_NOTEQUAL, true, false, true},
        {D3DCMP_GREATEREQUAL, false, true, true},  {D3DCMP_ALWAYS, true, true, true},
    };
    d.setRenderState(D3DRS_ALPHATESTENABLE, 1);
    d.setRenderState(D3DRS_ALPHAREF, 0x380);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.func);
        d.setRenderState(D3DRS_ALPHAFUNC, c.func);
        d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1, 0);
        const bool kept[] = {c.below, c.equal, c.above};
        for (int k = 0; k < 3; ++k) {
            material({1, 1, 1, (127 + k) / 255.0f}, {}, {1, 1, 1, 0});
            d.drawSubset(rect(k * 20.0f, 0, k * 20.0f + 20, 64), 0);
        }
        const RgbImage image = d.readRenderTarget();
        for (int k = 0; k < 3; ++k) {
            SCOPED_TRACE(::testing::Message() << "alpha " << 127 + k);
            const int v = kept[k] ? 255 : 0;
            EXPECT_PIXEL_NEAR(image, k * 20 + 10, 32, 1, v, v, v);
        }
    }
}

} // namespace
} // namespace zamp
