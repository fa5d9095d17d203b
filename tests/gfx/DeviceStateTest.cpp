// The state a new device starts with and the lights it accepts, as Direct3D 9 has them.
#include "gfx/DeviceState.h"
#include "gfx/StateTable.h"

#include <gtest/gtest.h>

namespace zamp {
namespace {

TEST(DeviceState, EveryRenderStateStartsAtDirect3DsDefault) {
    struct Case {
        D3DRENDERSTATETYPE state;
        DWORD value;
    } cases[] = {
        {D3DRS_ZENABLE, 1},
        {D3DRS_FILLMODE, 3},
        {D3DRS_SHADEMODE, 2},
        {D3DRS_ZWRITEENABLE, 1},
        {D3DRS_ALPHATESTENABLE, 0},
        {D3DRS_SRCBLEND, D3DBLEND_ONE},
        {D3DRS_DESTBLEND, D3DBLEND_ZERO},
        {D3DRS_CULLMODE, D3DCULL_CCW},
        {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
        {D3DRS_ALPHAREF, 0},
        {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS},
        {D3DRS_DITHERENABLE, 0},
        {D3DRS_ALPHABLENDENABLE, 0},
        {D3DRS_FOGENABLE, 0},
        {D3DRS_SPECULARENABLE, 0},
        {D3DRS_FOGCOLOR, 0},
        {D3DRS_FOGTABLEMODE, D3DFOG_NONE},
        {D3DRS_FOGSTART, 0x00000000},  // 0.0f
        {D3DRS_FOGEND, 0x3F800000},    // 1.0f
        {D3DRS_FOGDENSITY, 0x3F800000}, // 1.0f
        {D3DRS_RANGEFOGENABLE, 0},
        {D3DRS_STENCILENABLE, 0},
        {D3DRS_TEXTUREFACTOR, 0xFFFFFFFF},
        {D3DRS_CLIPPING, 1},
        {D3DRS_LIGHTING, 1},
        {D3DRS_AMBIENT, 0},
        {D3DRS_FOGVERTEXMODE, D3DFOG_NONE},
        {D3DRS_COLORVERTEX, 1},
        {D3DRS_LOCALVIEWER, 1},
        {D3DRS_NORMALIZENORMALS, 0},
        {D3DRS_DIFFUSEMATERIALSOURCE, 1},
        {D3DRS_SPECULARMATERIALSOURCE, 2},
        {D3DRS_AMBIENTMATERIALSOURCE, 0},
        {D3DRS_EMISSIVEMATERIALSOURCE, 0},
        {D3DRS_COLORWRITEENABLE, 0xF},
        {D3DRS_BLENDOP, 1},
        {D3DRS_BLENDFACTOR, 0xFFFFFFFF},
        {D3DRS_SEPARATEALPHABLENDENABLE, 0},
    };
    const DeviceState s;
    for (const Case& c : cases) {
        EXPECT_EQ(s.renderState(c.state), c.value) << "render state " << c.state;
        EXPECT_EQ(renderStateRow(c.state).state, c.state) << "render state " << c.state << " has a row";
    }
    // Every row of the state table is one of the states above.
    EXPECT_EQ(std::size(kRenderStates), std::size(cases));
    for (DWORD t : {DWORD(D3DTS_WORLD), DWORD(D3DTS_VIEW), DWORD(D3DTS_PROJECTION)})
        EXPECT_EQ(s.transform(t), Matrix::identity()) << "transform " << t;
}

TEST(DeviceState, EveryTextureStageStartsAtDirect3DsDefault) {
    const DeviceState s;
    for (DWORD stage = 0; stage < kTextureStageCount; ++stage) {
        SCOPED_TRACE(stage);
        const bool first = stage == 0;
        EXPECT_EQ(s.textureStageState(stage, D3DTSS_COLOROP), DWORD(first ? D3DTOP_MODULATE : D3DTOP_DISABLE));
        EXPECT_EQ(s.textureStageState(stage, D3DTSS_ALPHAOP), DWORD(first ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE));
        EXPECT_EQ(s.textureStageState(stage, D3DTSS_COLORARG1), DWORD(D3DTA_TEXTURE));
        EXPECT_EQ(s.textureStageState(stage, D3DTSS_ALPHAARG1), DWORD(D3DTA_TEXTURE));
        for (auto type : {D3DTSS_COLORARG2, D3DTSS_ALPHAARG2, D3DTSS_COLORARG0, D3DTSS_ALPHAARG0, D3DTSS_RESULTARG})
            EXPECT_EQ(s.textureStageState(stage, type), DWORD(D3DTA_CURRENT)) << type;
        EXPECT_EQ(s.textureStageState(stage, D3DTSS_TEXCOORDINDEX), stage);
        EXPECT_EQ(s.textureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS), 0u);
        EXPECT_EQ(s.texture(stage), nullptr);
    }
}

TEST(DeviceState, LightsOfAnUnknownTypeOrANegativeAttenuationAreRefused) {
    struct Case {
        const char* what;
        DWORD type;
        float a0, a1, a2;
        bool accepted;
    } cases[] = {
        {"point", D3DLIGHT_POINT, 0, 0, 0, true},
        {"spot", D3DLIGHT_SPOT, 1, 0.5f, 0.25f, true},
        {"directional", D3DLIGHT_DIRECTIONAL, 0, 0, 0, true},
        {"type 0", 0, 1, 0, 0, false},
        {"type 4", 4, 1, 0, 0, false},
        {"negative constant term", D3DLIGHT_POINT, -0.5f, 0, 0, false},
        {"negative linear term", D3DLIGHT_POINT, 1, -0.5f, 0, false},
        {"negative quadratic term", D3DLIGHT_POINT, 1, 0, -0.5f, false},
        {"negative term of a directional light", D3DLIGHT_DIRECTIONAL, 0, 0, -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeviceState s;
        Light kept{};
        kept.type = D3DLIGHT_SPOT;
        kept.range = 7;
        ASSERT_TRUE(s.setLight(1, kept));
        Light l{};
        l.type = c.type;
        l.range = 3;
        l.attenuation0 = c.a0, l.attenuation1 = c.a1, l.attenuation2 = c.a2;
        EXPECT_EQ(s.setLight(1, l), c.accepted);
        ASSERT_NE(s.light(1), nullptr);
        EXPECT_EQ(s.light(1)->range, c.accepted ? 3.0f : 7.0f) << "a refused light leaves the old one";
    }
}

TEST(DeviceState, LightsTakePartInTheOrderTheyWereEnabled) {
    DeviceState s;
    for (DWORD i : {4u, 1u, 7u, 2u}) s.lightEnable(i, true);
    s.lightEnable(1, false);
    s.lightEnable(1, true); // enabled again: now the latest
    s.lightEnable(9, false); // never set: nothing happens
    std::array<const Light*, kMaxActiveLights> active{};
    ASSERT_EQ(s.activeLights(active), 4);
    EXPECT_EQ(active[0], s.light(4));
    EXPECT_EQ(active[1], s.light(7));
    EXPECT_EQ(active[2], s.light(2));
    EXPECT_EQ(active[3], s.light(1));
    EXPECT_EQ(s.light(9), nullptr);
}

} // namespace
} // namespace zamp
