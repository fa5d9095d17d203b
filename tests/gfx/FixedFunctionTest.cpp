// The mapping from device state to shader inputs, without a GPU.
#include "gfx/FixedFunction.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zamp {
namespace {

class DummyTexture final : public Texture {
public:
    int width() const override { return 1; }
    int height() const override { return 1; }
    Surface* renderSurface() override { return nullptr; }
    void upload(const std::uint32_t*) override {}
};

TEST(FixedFunction, UnboundTextureArgumentsSelectTheCurrentColour) {
    DeviceState s; // MODULATE(TEXTURE, CURRENT) / SELECTARG1(TEXTURE)
    StageOps ops = effectiveStage0(s);
    EXPECT_EQ(ops.colorOp, DWORD(D3DTOP_SELECTARG1));
    EXPECT_EQ(ops.colorArg1, DWORD(D3DTA_CURRENT));
    EXPECT_EQ(ops.alphaOp, DWORD(D3DTOP_SELECTARG1));
    EXPECT_EQ(ops.alphaArg1, DWORD(D3DTA_CURRENT));

    DummyTexture t;
    s.setTexture(0, &t);
    ops = effectiveStage0(s);
    EXPECT_EQ(ops.colorOp, DWORD(D3DTOP_MODULATE));
    EXPECT_EQ(ops.colorArg1, DWORD(D3DTA_TEXTURE));

    // The untextured image's SELECTARG1(DIFFUSE) needs no texture and stays.
    s.setTexture(0, nullptr);
    s.setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    s.setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    ops = effectiveStage0(s);
    EXPECT_EQ(ops.colorArg1, DWORD(D3DTA_DIFFUSE));
}

TEST(FixedFunction, WithoutATextureOnlyOperationsThatReadItFallBack) {
    // Which argument an operation reads decides: SELECTARG1 reads only the first,
    // SELECTARG2 only the second, the others both; TEXTURE counts with any modifier bits.
    // An operation that reads the missing texture becomes SELECTARG1(CURRENT); with a
    // texture bound every operation stays as set.
    struct Case {
        const char* name;
        DWORD op, arg1, arg2;
        bool fallsBack;
    } cases[] = {
        {"select 1 of texture", D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, true},
        {"select 1 of diffuse", D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_TEXTURE, false},
        {"select 2 of texture", D3DTOP_SELECTARG2, D3DTA_DIFFUSE, D3DTA_TEXTURE, true},
        {"select 2 of diffuse", D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE, false},
        {"modulate with texture second", D3DTOP_MODULATE, D3DTA_DIFFUSE, D3DTA_TEXTURE, true},
        {"add with complemented texture", D3DTOP_ADD, D3DTA_TEXTURE | D3DTA_COMPLEMENT, D3DTA_DIFFUSE, true},
        {"subtract without texture", D3DTOP_SUBTRACT, D3DTA_TFACTOR, D3DTA_DIFFUSE, false},
    };
    DummyTexture t;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (bool bound : {false, true}) {
            DeviceState s;
            s.setTexture(0, bound ? &t : nullptr);
            s.setTextureStageState(0, D3DTSS_COLOROP, c.op);
            s.setTextureStageState(0, D3DTSS_COLORARG1, c.arg1);
            s.setTextureStageState(0, D3DTSS_COLORARG2, c.arg2);
            s.setTextureStageState(0, D3DTSS_ALPHAOP, c.op);
            s.setTextureStageState(0, D3DTSS_ALPHAARG1, c.arg1);
            s.setTextureStageState(0, D3DTSS_ALPHAARG2, c.arg2);
            const StageOps ops = effectiveStage0(s);
            const bool replaced = c.fallsBack && !bound;
            EXPECT_EQ(ops.colorOp, replaced ? DWORD(D3DTOP_SELECTARG1) : c.op) << "bound " << bound;
            EXPECT_EQ(ops.colorArg1, replaced ? DWORD(D3DTA_CURRENT) : c.arg1) << "bound " << bound;
            EXPECT_EQ(ops.alphaOp, replaced ? DWORD(D3DTOP_SELECTARG1) : c.op) << "bound " << bound;
            EXPECT_EQ(ops.alphaArg1, replaced ? DWORD(D3DTA_CURRENT) : c.arg1) << "bound " << bound;
        }
    }
}

TEST(FixedFunction, LightsMoveIntoCameraSpaceAndOnlyEnabledOnesCount) {
    DeviceState s;
    Matrix view = Matrix::identity();
    view.m[3][0] = 5; // the camera sits at x = -5
    s.setTransform(D3DTS_VIEW, view);
    Light l{};
    l.type = D3DLIGHT_POINT;
    l.position = {1, 2, 3};
    l.range = 100;
    l.theta = 1, l.phi = 2;
    s.setLight(3, l);
    s.lightEnable(3, true);
    s.lightEnable(1, false); // never set, not enabled: nothing
    FixedFunctionBlock b;
    buildFixedFunctionBlock(s, 640, 480, b);
    ASSERT_EQ(b.flags[3], 1);
    EXPECT_FLOAT_EQ(b.lights[0].position[0], 6);
    EXPECT_FLOAT_EQ(b.lights[0].position[3], float(D3DLIGHT_POINT));
    EXPECT_FLOAT_EQ(b.lights[0].spot[0], std::cos(0.5f));
    EXPECT_FLOAT_EQ(b.pixelShift[0], 63.0f / 64 / 640);
    EXPECT_FLOAT_EQ(b.pixelShift[1], -63.0f / 64 / 480);
}

TEST(FixedFunction, RejectedLightsKeepTheOldOneAndEnablingCreatesTheDefault) {
    DeviceState s;
    Light bad{};
    bad.type = 0;
    EXPECT_FALSE(s.setLight(2, bad));
    s.lightEnable(2, true);
    ASSERT_NE(s.light(2), nullptr);
    EXPECT_EQ(s.light(2)->type, DWORD(D3DLIGHT_DIRECTIONAL));
    EXPECT_EQ(s.light(2)->diffuse, (Vec4{1, 1, 1, 0}));
    Light negative{};
    negative.type = D3DLIGHT_POINT;
    negative.attenuation1 = -1;
    EXPECT_FALSE(s.setLight(2, negative));
    EXPECT_EQ(s.light(2)->type, DWORD(D3DLIGHT_DIRECTIONAL));
}

TEST(FixedFunction, FogAndAlphaTestFlags) {
    DeviceState s;
    FixedFunctionBlock b;
    buildFixedFunctionBlock(s, 1, 1, b);
    EXPECT_EQ(b.fogFlags[0], -1);
    EXPECT_EQ(b.fogFlags[2], 0);
    s.setRenderState(D3DRS_FOGENABLE, 1);
    s.setRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    s.setRenderState(D3DRS_RANGEFOGENABLE, 1);
    s.setRenderState(D3DRS_ALPHATESTENABLE, 1);
    s.setRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    s.setRenderState(D3DRS_ALPHAREF, 0x101); // only the low byte counts
    buildFixedFunctionBlock(s, 1, 1, b);
    EXPECT_EQ(b.fogFlags[0], int(D3DFOG_LINEAR));
    EXPECT_EQ(b.fogFlags[1], 1);
    EXPECT_EQ(b.fogFlags[2], int(D3DCMP_GREATEREQUAL));
    EXPECT_EQ(b.pixelShift[3], 1.0f);
}

} // namespace
} // namespace zamp
