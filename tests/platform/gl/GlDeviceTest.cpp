// The OpenGL device against Direct3D 9's fixed-function formulas, drawn by Mesa and probed
// in big areas of one colour.
#include "DeviceFixture.h"

#include <cmath>
#include <functional>

namespace zamp {
namespace {

using test::DeviceFixture;
using test::pixelAt;
using test::Rgb;
constexpr int kSize = test::kTargetSize;

TEST_F(DeviceFixture, ZeroZeroBlendingAsTheFirstBlendDrawsBlack) {
    // The state cache once took its empty slots for GL_ZERO and skipped the first ZERO/ZERO.
    d.setRenderState(D3DRS_LIGHTING, 0);
    d.clear(D3DCLEAR_TARGET, 0xFF00FF00, 1, 0);
    d.setRenderState(D3DRS_ALPHABLENDENABLE, 1);
    d.setRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
    d.setRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
    d.drawSubset(rect(8, 8, 56, 56), 0);
    EXPECT_RGB(probe(32, 32), 0, 0, 0);
    EXPECT_RGB(probe(2, 2), 0, 255, 0);
}

TEST_F(DeviceFixture, TheBlendFactorIsWhiteUntilSetAndThenTheColourSet) {
    // GL's own constant colour starts transparent black, Direct3D's blend factor white.
    d.setRenderState(D3DRS_LIGHTING, 0);
    d.clear(D3DCLEAR_TARGET, 0xFF000000, 1, 0);
    d.setRenderState(D3DRS_ALPHABLENDENABLE, 1);
    d.setRenderState(D3DRS_SRCBLEND, D3DBLEND_BLENDFACTOR);
    d.setRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
    material({}, {}, {1, 1, 1, 1});
    d.drawSubset(rect(0, 0, 32, 64), 0);
    d.setRenderState(D3DRS_BLENDFACTOR, 0xFF804020);
    d.drawSubset(rect(32, 0, 64, 64), 0);
    EXPECT_RGB(probe(16, 32), 255, 255, 255);
    EXPECT_RGB(probe(48, 32), 128, 64, 32);
}

TEST_F(DeviceFixture, TheWindowsDeviceStartsFromDirect3DsDefaults) {
    // Every default itself is pinned in the DeviceState tests; the window keeps them apart
    // from the two states it sets.
    const DeviceState fresh;
    for (auto state : {D3DRS_CULLMODE, D3DRS_ZFUNC, D3DRS_SRCBLEND, D3DRS_DESTBLEND, D3DRS_FOGEND, D3DRS_LIGHTING})
        EXPECT_EQ(d.renderState(state), fresh.renderState(state)) << state;
    EXPECT_EQ(d.renderState(D3DRS_ZENABLE), 1u);
    EXPECT_EQ(d.renderState(D3DRS_AMBIENT), 0u);
    EXPECT_EQ(d.state().textureStageState(1, D3DTSS_COLOROP), DWORD(D3DTOP_DISABLE));
}

TEST_F(DeviceFixture, FractionalEdgesCoverPixelsAsDirect3DDoes) {
    // x from 2.3 to 6.3 covers pixels 3 to 6 with Direct3D's pixel centres.
    material({}, {}, {1, 1, 1, 1});
    d.drawSubset(rect(2.3f, 10, 6.3f, 20), 0);
    auto img = d.readRenderTarget();
    EXPECT_RGB(pixelAt(img, 2, 15), 0, 0, 0);
    EXPECT_RGB(pixelAt(img, 3, 15), 255, 255, 255);
    EXPECT_RGB(pixelAt(img, 6, 15), 255, 255, 255);
    EXPECT_RGB(pixelAt(img, 7, 15), 0, 0, 0);
}

TEST_F(DeviceFixture, AmbientOnlyLighting) {
    d.setRenderState(D3DRS_AMBIENT, 0x00804020);
    material({0, 0, 0, 1}, {1, 0.5f, 1, 1});
    d.drawSubset(rect(0, 0, 64, 64), 0);
    EXPECT_RGB(probe(32, 32), 128, 32, 32);
}

TEST_F(DeviceFixture, DirectionalLightGivesTheDiffuseColour) {
    Light l{};
    l.type = D3DLIGHT_DIRECTIONAL;
    l.diffuse = {1, 1, 1, 1};
    l.direction = {0, 0, 1};
    ASSERT_TRUE(d.setLight(0, l));
    d.lightEnable(0, true);
    material({0.2f, 0.6f, 1, 1});
    d.drawSubset(rect(0, 0, 32, 64), 0);
    // An unnormalised normal scales the diffuse term: normals are not normalised.
    d.drawSubset(rect(32, 0, 64, 64, 1, {0, 0, -0.5f}), 0);
    EXPECT_RGB(probe(16, 32), 51, 153, 255);
    EXPECT_RGB(probe(48, 32), 26, 77, 128);
}

TEST_F(DeviceFixture, PointLightRangeAndAttenuation) {
    Light l{};
    l.type = D3DLIGHT_POINT;
    l.diffuse = {1, 1, 1, 1};
    l.position = {32, 32, -9}; // 10 units in front of the quad's centre
    l.range = 10.5f;
    l.attenuation0 = 2;
    d.setLight(0, l);
    d.lightEnable(0, true);
    material({1, 1, 1, 1});
    // Only a small quad right under the light: every vertex within range.
    d.drawSubset(rect(31, 31, 33, 33), 0);
    EXPECT_RGB(probe(32, 32), 127, 127, 127);
    l.range = 9.5f; // now every vertex is out of range: not even ambient
    l.ambient = {1, 1, 1, 1};
    d.setLight(0, l);
    d.setRenderState(D3DRS_AMBIENT, 0);
    material({1, 1, 1, 1}, {1, 1, 1, 1});
    d.drawSubset(rect(40, 40, 42, 42), 0);
    EXPECT_RGB(probe(41, 41), 0, 0, 0);
}

TEST_F(DeviceFixture, ZeroNormalImageQuadShowsOnlyAmbientAndEmissive) {
    Light l{};
    l.type = D3DLIGHT_DIRECTIONAL;
    l.diffuse = {1, 1, 1, 1};
    l.direction = {0, 0, 1};
    d.setLight(0, l);
    d.lightEnable(0, true);
    d.setRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
    d.setTransform(D3DTS_WORLD, matrixScaling(1, 1, 0)); // singular, like every image quad
    material({1, 1, 1, 1}, {0, 0.5f, 0, 1}, {0.25f, 0, 0, 0});
    d.drawSubset(rect(0, 0, 64, 64), 0);
    EXPECT_RGB(probe(32, 32), 64, 128, 0);
}

TEST_F(DeviceFixture, LinearFogPerVertex) {
    d.setRenderState(D3DRS_FOGENABLE, 1);
    d.setRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    d.setRenderState(D3DRS_FOGCOLOR, 0x00FF0000); // the alpha byte is ignored
    d.setRenderState(D3DRS_FOGSTART, floatBits(2));
    d.setRenderState(D3DRS_FOGEND, floatBits(6));
    material({0, 0, 0, 1}, {}, {0, 0, 1, 1});
    d.drawSubset(rect(0, 0, 16, 64, 1), 0); // before the start: no fog
    d.drawSubset(rect(16, 0, 32, 64, 4), 0); // middle of the range: half fog
    d.drawSubset(rect(32, 0, 48, 64, 8), 0); // past the end: all fog
    d.setRenderState(D3DRS_FOGEND, floatBits(2)); // start == end: every vertex fogged
    d.drawSubset(rect(48, 0, 64, 64, 1), 0);
    auto img = d.readRenderTarget();
    EXPECT_RGB(pixelAt(img, 8, 32), 0, 0, 255);
    EXPECT_RGB(pixelAt(img, 24, 32), 128, 0, 128);
    EXPECT_RGB(pixelAt(img, 40, 32), 255, 0, 0);
    EXPECT_RGB(pixelAt(img, 56, 32), 255, 0, 0);
}

TEST_F(DeviceFixture, AlphaTestComparesEightBitAlpha) {
    d.setRenderState(D3DRS_ALPHATESTENABLE, 1);
    d.setRenderState(D3DRS_ALPHAREF, 1);
    d.setRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    material({1, 1, 1, 0}, {}, {1, 1, 1, 0});
    d.drawSubset(rect(0, 0, 32, 64), 0); // alpha 0: discarded
    material({1, 1, 1, 1 / 255.0f}, {}, {1, 1, 1, 0});
    d.drawSubset(rect(32, 0, 64, 64), 0); // alpha 1/255: kept
    auto img = d.readRenderTarget();
    EXPECT_RGB(pixelAt(img, 16, 32), 0, 0, 0);
    EXPECT_RGB(pixelAt(img, 48, 32), 255, 255, 255);
}

TEST_F(DeviceFixture, CullingFollowsDirect3DWindingOnEveryTarget) {
    auto target = d.createTexture(kSize, kSize, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8);
    ASSERT_TRUE(target);
    Surface* back = d.renderTarget(0);
    for (Surface* surface : {back, target->renderSurface()}) {
        ASSERT_TRUE(d.setRenderTarget(0, surface));
        d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1, 0);
        material({}, {}, {1, 1, 1, 1});
        d.setRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        d.drawSubset(rect(0, 0, 16, 64), 0);              // clockwise: kept
        d.drawSubset(rect(16, 0, 32, 64, 1, {0, 0, -1}, true), 0); // counter-clockwise: culled
        d.setRenderState(D3DRS_CULLMODE, D3DCULL_CW);
        d.drawSubset(rect(32, 0, 48, 64), 0);             // clockwise: culled
        d.setRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        d.drawSubset(rect(48, 0, 64, 64, 1, {0, 0, -1}, true), 0); // kept
        auto img = d.readRenderTarget();
        EXPECT_RGB(pixelAt(img, 8, 32), 255, 255, 255);
        EXPECT_RGB(pixelAt(img, 24, 32), 0, 0, 0);
        EXPECT_RGB(pixelAt(img, 40, 32), 0, 0, 0);
        EXPECT_RGB(pixelAt(img, 56, 32), 255, 255, 255);
    }
    d.setRenderTarget(0, back);
}

TEST_F(DeviceFixture, DestAlphaReadsOneOnTheBackBufferOnly) {
    auto target = d.createTexture(kSize, kSize, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8);
    Surface* back = d.renderTarget(0);
    d.setRenderState(D3DRS_ALPHABLENDENABLE, 1);
    d.setRenderState(D3DRS_SRCBLEND, D3DBLEND_DESTALPHA);
    d.setRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
    material({1, 1, 1, 1}, {}, {0, 1, 0, 0});
    d.drawSubset(rect(0, 0, 64, 64), 0);
    EXPECT_RGB(probe(32, 32), 0, 255, 0);
    d.setRenderTarget(0, target->renderSurface());
    d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00000000, 1, 0); // alpha 0 stored
    d.drawSubset(rect(0, 0, 64, 64), 0);
    EXPECT_RGB(probe(32, 32), 0, 0, 0);
    d.setRenderTarget(0, back);
}

TEST_F(DeviceFixture, TextureStageWithAndWithoutTexture) {
    auto tex = d.createTexture(2, 2, 0, D3DFMT_A8R8G8B8);
    const std::uint32_t texels[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    tex->upload(texels);
    material({}, {}, {1, 1, 0.5f, 1});
    // No texture bound: MODULATE(TEXTURE, CURRENT) passes the lit colour through.
    d.drawSubset(rect(0, 0, 32, 64), 0);
    d.setTexture(0, tex.get());
    d.drawSubset(rect(32, 0, 64, 64), 0); // one level, point sampled, not black
    auto img = d.readRenderTarget();
    EXPECT_RGB(pixelAt(img, 16, 32), 255, 255, 128);
    EXPECT_RGB(pixelAt(img, 40, 8), 255, 0, 0);
    EXPECT_RGB(pixelAt(img, 56, 8), 0, 255, 0);
    EXPECT_RGB(pixelAt(img, 40, 56), 0, 0, 128);
}

// A plain draw after a textured one keeps the texture bound (it samples none); a texture
// made after one deleted while bound is bound for its own draws (a driver may give it the
// old name; Mesa's are new, so there it cannot mix them up); and the frames after it
// alternate the two kinds, as a scene does.
TEST_F(DeviceFixture, PlainAndTexturedDrawsAlternateAndANewTextureIsBoundUnderAnOldName) {
    auto textureOf = [&](std::uint32_t argb) {
        auto t = d.createTexture(1, 1, 0, D3DFMT_A8R8G8B8);
        t->upload(&argb);
        return t;
    };
    material({}, {}, {1, 1, 1, 1});
    auto red = textureOf(0xFFFF0000);
    d.setTexture(0, red.get());
    d.drawSubset(rect(0, 0, 32, 64), 0);
    red.reset();
    auto green = textureOf(0xFF00FF00);
    d.setTexture(0, green.get());
    d.drawSubset(rect(0, 0, 32, 64), 0);
    EXPECT_RGB(probe(16, 32), 0, 255, 0);
    for (int frame = 0; frame < 2; ++frame) {
        SCOPED_TRACE(frame);
        d.clear(D3DCLEAR_TARGET, 0xFF000000, 1, 0);
        d.setTexture(0, nullptr);
        material({}, {}, {0, 0, 1, 1});
        d.drawSubset(rect(32, 0, 64, 64), 0);
        d.setTexture(0, green.get());
        material({}, {}, {1, 1, 1, 1});
        d.drawSubset(rect(0, 0, 32, 64), 0);
        EXPECT_RGB(probe(16, 32), 0, 255, 0);
        EXPECT_RGB(probe(48, 32), 0, 0, 255);
    }
}

TEST_F(DeviceFixture, DrawsUploadOnlyTheInputsThatChanged) {
    const Mesh& quad = rect(8, 8, 24, 24);
    material({1, 0, 0, 1});
    d.drawSubset(quad, 0);
    auto callsFor = [&](const std::function<void()>& changes) {
        const auto before = d.counters();
        changes();
        d.drawSubset(quad, 0);
        const auto after = d.counters();
        return after.backendCalls - before.backendCalls;
    };
    // Nothing changed: the draw call alone.
    EXPECT_EQ(callsFor([] {}), 1u);
    // A new world matrix: its rows, then the draw.
    EXPECT_EQ(callsFor([&] { d.setTransform(D3DTS_WORLD, matrixTranslation(4, 0, 0)); }), 2u);
    // What a scene layer sets again before each mesh, unchanged, with a new world matrix.
    EXPECT_EQ(callsFor([&] {
                  material({1, 0, 0, 1});
                  d.setTexture(0, nullptr);
                  d.setRenderState(D3DRS_LIGHTING, 1);
                  d.setRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
                  d.setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
                  d.setTransform(D3DTS_WORLD, matrixTranslation(8, 0, 0));
              }),
              2u);
    // A new material alone: its rows; with a new matrix: both in one upload.
    EXPECT_EQ(callsFor([&] { material({0, 1, 0, 1}); }), 2u);
    EXPECT_EQ(callsFor([&] {
                  material({0, 0, 1, 1});
                  d.setTransform(D3DTS_WORLD, matrixTranslation(12, 0, 0));
              }),
              2u);
    // Fog colour belongs to the frame block: one upload of the block (bind and data).
    EXPECT_EQ(callsFor([&] { d.setRenderState(D3DRS_FOGCOLOR, 0xFF00FF00); }), 3u);
}

TEST_F(DeviceFixture, ReadbacksKeepThePixelsOfWhenTheyBegan) {
    // Three frames drawn one after another, each read back before the next is drawn and
    // all taken out at the end: every picture is its own frame's.
    const D3DCOLOR colours[] = {0xFF102030, 0xFFC08040, 0xFF00FF7F};
    RgbImage frames[3];
    for (int i = 0; i < 3; ++i) {
        d.clear(D3DCLEAR_TARGET, colours[i], 1, 0);
        material({}, {}, {1, 1, 1, 1});
        d.drawSubset(rect(float(8 * i), 0, float(8 * i + 8), 8), 0);
        d.startReadback(frames[i]);
    }
    d.finishReadbacks();
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(frames[i].width, kSize);
        ASSERT_EQ(frames[i].height, kSize);
        const Rgb background{int(colours[i] >> 16 & 0xFF), int(colours[i] >> 8 & 0xFF), int(colours[i] & 0xFF)};
        EXPECT_RGB(pixelAt(frames[i], 40, 40), background.r, background.g, background.b);
        EXPECT_RGB(pixelAt(frames[i], 8 * i + 4, 4), 255, 255, 255); // top row first
        EXPECT_RGB(pixelAt(frames[i], (8 * i + 12) % kSize, 4), background.r, background.g, background.b);
    }
    // More readbacks than the device keeps buffers for: the oldest are finished on the way.
    std::vector<RgbImage> many(7);
    for (std::size_t i = 0; i < many.size(); ++i) {
        d.clear(D3DCLEAR_TARGET, 0xFF000000 | D3DCOLOR(i * 30), 1, 0);
        d.startReadback(many[i]);
    }
    d.finishReadbacks();
    for (std::size_t i = 0; i < many.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_RGB(pixelAt(many[i], 1, 1), 0, 0, int(i * 30));
    }
}

TEST_F(DeviceFixture, ProgramsAreMadeOncePerShape) {
    const Mesh& quad = rect(0, 0, 64, 64);
    material({}, {}, {1, 1, 1, 1});
    d.drawSubset(quad, 0);
    const std::size_t first = d.programCount();
    d.setRenderState(D3DRS_ALPHATESTENABLE, 1);
    d.setRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    d.drawSubset(quad, 0);
    EXPECT_EQ(d.programCount(), first + 1);
    d.setRenderState(D3DRS_ALPHATESTENABLE, 0);
    d.drawSubset(quad, 0);
    d.setRenderState(D3DRS_ALPHATESTENABLE, 1);
    d.drawSubset(quad, 0);
    EXPECT_EQ(d.programCount(), first + 1);
    EXPECT_RGB(probe(32, 32), 255, 255, 255); // and it still draws
}

TEST_F(DeviceFixture, LightsBeyondEightAreIgnoredInEnablingOrder) {
    Light l{};
    l.type = D3DLIGHT_DIRECTIONAL;
    l.direction = {0, 0, 1};
    l.diffuse = {0.1f, 0, 0, 1};
    for (DWORD i = 0; i < 10; ++i) {
        d.setLight(i, l);
        d.lightEnable(i, true);
    }
    material({1, 1, 1, 1});
    d.drawSubset(rect(0, 0, 64, 64), 0);
    EXPECT_NEAR(probe(32, 32).r, 204, 2); // eight lights of 0.1
}

} // namespace
} // namespace zamp
