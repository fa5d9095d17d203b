// The mapping from device state to shader inputs, without a GPU.
#include "gfx/FixedFunctionShape.h"
#include "gfx/D3DXMath.h"
#include "gfx/StateTable.h"
#include "support/GenericFixedFunctionBlock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <set>
#include <string>

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

TEST(FixedFunction, FrameBlockHoldsEnabledLightsInCameraSpace) {
    DeviceState s;
    Matrix view = Matrix::identity();
    view.m[3][0] = 5; // the camera sits at x = -5
    s.setTransform(D3DTS_VIEW, view);
    Light spot{};
    spot.type = D3DLIGHT_SPOT;
    spot.position = {1, 2, 3};
    spot.direction = {0, 0, 4}; // normalised in the block
    spot.range = 100;
    spot.theta = 1, spot.phi = 2;
    s.setLight(3, spot);
    s.lightEnable(3, true);
    s.lightEnable(1, false); // never set, not enabled: nothing
    s.setRenderState(D3DRS_ALPHAREF, 0x181); // only the low byte counts
    FixedFunctionFrame f;
    buildFixedFunctionFrame(s, 640, 480, f);
    EXPECT_FLOAT_EQ(f.lights[0].position[0], 6);
    EXPECT_FLOAT_EQ(f.lights[0].type, float(D3DLIGHT_SPOT));
    EXPECT_FLOAT_EQ(f.lights[0].direction[2], 1);
    EXPECT_FLOAT_EQ(f.lights[0].range, 100);
    EXPECT_FLOAT_EQ(f.lights[0].spot[0], std::cos(0.5f));
    EXPECT_FLOAT_EQ(f.lights[0].spot[1], std::cos(1.0f));
    EXPECT_FLOAT_EQ(f.lights[1].diffuse[0], 0); // one light only
    EXPECT_FLOAT_EQ(f.constants.pixelShift[0], 63.0f / 64 / 640);
    EXPECT_FLOAT_EQ(f.constants.pixelShift[1], -63.0f / 64 / 480);
    EXPECT_FLOAT_EQ(f.constants.alphaReference, 0x81);
    // Without lighting the block carries no lights.
    s.setRenderState(D3DRS_LIGHTING, 0);
    buildFixedFunctionFrame(s, 640, 480, f);
    EXPECT_FLOAT_EQ(f.lights[0].position[0], 0);
}

TEST(FixedFunction, DrawRowsHoldWorldViewNormalMatrixAndMaterial) {
    DeviceState s;
    Matrix world = Matrix::identity();
    world.m[0][0] = 2; // x stretched: normals shrink in x
    world.m[3][1] = 7;
    Matrix view = Matrix::identity();
    view.m[3][2] = 1;
    s.setTransform(D3DTS_WORLD, world);
    s.setTransform(D3DTS_VIEW, view);
    Material m{};
    m.diffuse = {0.1f, 0.2f, 0.3f, 0.4f};
    m.emissive = {0, 0, 1, 0};
    m.power = 12;
    FixedFunctionDraw d;
    putDrawMatrices(s, d);
    putDrawMaterial(m, d);
    EXPECT_FLOAT_EQ(d.rows[0][0], 2);
    EXPECT_FLOAT_EQ(d.rows[3][1], 7);
    EXPECT_FLOAT_EQ(d.rows[3][2], 1);
    EXPECT_FLOAT_EQ(d.rows[4][0], 0.5f);
    EXPECT_FLOAT_EQ(d.rows[5][1], 1);
    EXPECT_FLOAT_EQ(d.rows[7][3], 0.4f);
    EXPECT_FLOAT_EQ(d.rows[10][2], 1);
    EXPECT_FLOAT_EQ(d.rows[11][0], 12);
}

// A change of state, and whether it must give another shape.
struct ShapeCase {
    std::string name;
    std::function<void(DeviceState&)> change;
    bool newShape;
};

std::vector<ShapeCase> shapeCases(Texture* texture) {
    auto rs = [](D3DRENDERSTATETYPE state, DWORD value) { return [=](DeviceState& s) { s.setRenderState(state, value); }; };
    auto tss = [](D3DTEXTURESTAGESTATETYPE type, DWORD value) {
        return [=](DeviceState& s) { s.setTextureStageState(0, type, value); };
    };
    auto fog = [](DWORD mode, bool range) {
        return [=](DeviceState& s) {
            s.setRenderState(D3DRS_FOGENABLE, 1);
            s.setRenderState(D3DRS_FOGVERTEXMODE, mode);
            s.setRenderState(D3DRS_RANGEFOGENABLE, range);
        };
    };
    return {
        {"another light colour", [](DeviceState& s) {
             Light l = *s.light(0);
             l.diffuse = {0.5f, 0, 0, 1};
             s.setLight(0, l);
         }, false},
        {"another light kind", [](DeviceState& s) {
             Light l = *s.light(0);
             l.type = D3DLIGHT_POINT;
             s.setLight(0, l);
         }, true},
        {"a second light", [](DeviceState& s) { s.lightEnable(1, true); }, true},
        {"lighting off", rs(D3DRS_LIGHTING, 0), true},
        {"specular on", rs(D3DRS_SPECULARENABLE, 1), true},
        {"local viewer off without specular", rs(D3DRS_LOCALVIEWER, 0), false},
        {"fog colour", rs(D3DRS_FOGCOLOR, 0xFF00FF00), false},
        {"fog enabled", fog(D3DFOG_LINEAR, false), true},
        {"range fog without fog", rs(D3DRS_RANGEFOGENABLE, 1), false},
        {"alpha test always passing", [](DeviceState& s) {
             s.setRenderState(D3DRS_ALPHATESTENABLE, 1);
             s.setRenderState(D3DRS_ALPHAFUNC, D3DCMP_ALWAYS);
         }, false},
        {"alpha test greater", [](DeviceState& s) {
             s.setRenderState(D3DRS_ALPHATESTENABLE, 1);
             s.setRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
         }, true},
        {"alpha reference", rs(D3DRS_ALPHAREF, 7), false},
        {"texture bound, read by the default stage", [texture](DeviceState& s) { s.setTexture(0, texture); }, true},
        {"texture bound, read by no argument", [texture](DeviceState& s) {
             s.setTexture(0, texture);
             s.setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
             s.setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
             s.setTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
         }, false},
        {"argument that the operation does not read", tss(D3DTSS_COLORARG2, D3DTA_TFACTOR), false},
        {"texture operation without a texture", tss(D3DTSS_COLOROP, D3DTOP_ADD), false},
        {"colour operation and argument", [](DeviceState& s) {
             s.setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_ADD);
             s.setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
         }, true},
        {"stage on stage 1", [](DeviceState& s) { s.setTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD); }, false},
        {"world matrix", [](DeviceState& s) { s.setTransform(D3DTS_WORLD, matrixScaling(2, 2, 2)); }, false},
    };
}

// Shapes are compared through their keys: equal keys share a program.
TEST(FixedFunction, ShapeChangesOnlyWithWhatShapesTheCode) {
    DummyTexture texture;
    for (const ShapeCase& c : shapeCases(&texture)) {
        DeviceState s;
        s.lightEnable(0, true); // the default white directional light
        const std::uint64_t before = fixedFunctionShape(s).key();
        c.change(s);
        const std::uint64_t after = fixedFunctionShape(s).key();
        EXPECT_EQ(before != after, c.newShape) << c.name;
    }
}

TEST(FixedFunction, ShapeKeysTellEveryFieldApart) {
    // One shape per value of every field, each from the same start: all keys differ.
    std::vector<FixedFunctionShape> shapes(1);
    auto vary = [&](auto set) {
        FixedFunctionShape s;
        set(s);
        shapes.push_back(s);
    };
    vary([](auto& s) { s.lighting = true; });
    vary([](auto& s) { s.specular = true; });
    vary([](auto& s) { s.localViewer = true; });
    for (int n = 1; n <= kMaxActiveLights; ++n) vary([n](auto& s) { s.lightCount = n; });
    for (int i = 0; i < kMaxActiveLights; ++i)
        for (D3DLIGHTTYPE t : {D3DLIGHT_POINT, D3DLIGHT_SPOT, D3DLIGHT_DIRECTIONAL})
            vary([i, t](auto& s) { s.lightTypes[i] = t; });
    for (FogFormula f : {FogFormula::Constant, FogFormula::Exp, FogFormula::Exp2, FogFormula::Linear})
        vary([f](auto& s) { s.fog = f; });
    vary([](auto& s) { s.rangeFog = true; });
    for (DWORD func = D3DCMP_NEVER; func < D3DCMP_ALWAYS; ++func) vary([func](auto& s) { s.alphaTest = func; });
    vary([](auto& s) { s.texture = true; });
    for (StageCombiner FixedFunctionShape::*combiner : {&FixedFunctionShape::color, &FixedFunctionShape::alpha}) {
        for (int op = 1; op <= int(StageOperation::Subtract); ++op)
            vary([=](auto& s) { (s.*combiner).operation = StageOperation(op); });
        for (StageArgument StageCombiner::*a : {&StageCombiner::arg1, &StageCombiner::arg2}) {
            for (int source = 1; source <= int(StageSource::Specular); ++source)
                vary([=](auto& s) { ((s.*combiner).*a).source = StageSource(source); });
            vary([=](auto& s) { ((s.*combiner).*a).complement = true; });
            vary([=](auto& s) { ((s.*combiner).*a).alphaReplicate = true; });
        }
    }
    std::set<std::uint64_t> keys;
    for (const auto& s : shapes) keys.insert(s.key());
    EXPECT_EQ(keys.size(), shapes.size());
}

// Whatever a state change alters among the derived inputs (shape, frame block, matrix and
// material rows), the device is told to redo: the state table's rows miss no dependency.
TEST(FixedFunction, StateChangesMarkEveryInputTheyAlter) {
    struct Change {
        std::string name;
        unsigned inputs;
        std::function<void(DeviceState&)> apply;
    };
    std::vector<Change> changes;
    // Values that each make a difference somewhere from the starting state below.
    const DWORD values[] = {0, 1, 2, 3, D3DCMP_GREATER, 0x3F000000, 0xFF102030};
    for (const RenderStateRow& row : kRenderStates)
        for (DWORD value : values)
            changes.push_back({"render state " + std::to_string(row.state) + " = " + std::to_string(value),
                               renderStateRow(row.state).inputs,
                               [=](DeviceState& s) { s.setRenderState(row.state, value); }});
    for (DWORD type : {DWORD(D3DTS_WORLD), DWORD(D3DTS_VIEW), DWORD(D3DTS_PROJECTION)})
        changes.push_back({"transform " + std::to_string(type), fixedFunctionInputsOfTransform(type),
                           [=](DeviceState& s) { s.setTransform(type, matrixTranslation(1, 2, 3)); }});
    for (const StageStateRow& row : kStageStates)
        for (DWORD stage : {0u, 1u})
            for (DWORD value : {DWORD(D3DTOP_ADD), DWORD(D3DTA_TFACTOR), DWORD(D3DTA_SPECULAR | D3DTA_COMPLEMENT)})
                changes.push_back({"stage " + std::to_string(stage) + " state " + std::to_string(row.type) + " = " +
                                       std::to_string(value),
                                   fixedFunctionInputsOfStageState(stage, row.type),
                                   [=](DeviceState& s) { s.setTextureStageState(stage, row.type, value); }});

    DummyTexture texture;
    auto start = [&](DeviceState& s) {
        Light point{};
        point.type = D3DLIGHT_POINT;
        point.position = {1, 1, 1};
        s.setLight(0, point);
        s.lightEnable(0, true);
        s.setRenderState(D3DRS_FOGENABLE, 1);
        s.setRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
        s.setRenderState(D3DRS_SPECULARENABLE, 1);
        s.setRenderState(D3DRS_ALPHATESTENABLE, 1);
        s.setTexture(0, &texture);
    };
    for (const Change& c : changes) {
        DeviceState s;
        start(s);
        FixedFunctionFrame frameBefore, frameAfter;
        FixedFunctionDraw drawBefore{}, drawAfter{};
        buildFixedFunctionFrame(s, 64, 64, frameBefore);
        putDrawMatrices(s, drawBefore);
        const std::uint64_t shapeBefore = fixedFunctionShape(s).key();
        c.apply(s);
        buildFixedFunctionFrame(s, 64, 64, frameAfter);
        putDrawMatrices(s, drawAfter);
        if (fixedFunctionShape(s).key() != shapeBefore) {
            EXPECT_TRUE(c.inputs & kShapeInput) << c.name;
        }
        if (std::memcmp(&frameBefore, &frameAfter, sizeof frameAfter) != 0) {
            EXPECT_TRUE(c.inputs & kFrameInput) << c.name;
        }
        if (std::memcmp(&drawBefore, &drawAfter, sizeof drawAfter) != 0) {
            EXPECT_TRUE(c.inputs & kMatricesInput) << c.name;
        }
    }
}

TEST(FixedFunction, GenericBlockCarriesWhatTheFrameBlockCarries) {
    DeviceState s;
    s.setTransform(D3DTS_VIEW, matrixTranslation(5, 0, 1));
    Light l{};
    l.type = D3DLIGHT_POINT;
    l.position = {1, 2, 3};
    l.range = 100;
    s.setLight(3, l);
    s.lightEnable(3, true);
    s.lightEnable(0, true);
    s.setRenderState(D3DRS_FOGCOLOR, 0xFF123456);
    Material m{};
    m.power = 9;
    s.setMaterial(m);
    GenericFixedFunctionBlock b;
    FixedFunctionFrame f;
    buildGenericFixedFunctionBlock(s, 640, 480, b);
    buildFixedFunctionFrame(s, 640, 480, f);
    EXPECT_EQ(b.flags[3], 2);
    EXPECT_EQ(std::memcmp(b.lights, f.lights, sizeof f.lights), 0);
    EXPECT_EQ(std::memcmp(b.projection, f.projection, sizeof f.projection), 0);
    EXPECT_EQ(b.constants.spare, 9.0f);
    b.constants.spare = 0;
    EXPECT_EQ(std::memcmp(&b.constants, &f.constants, sizeof f.constants), 0);
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
    GenericFixedFunctionBlock b;
    buildGenericFixedFunctionBlock(s, 1, 1, b);
    EXPECT_EQ(b.fogFlags[0], -1);
    EXPECT_EQ(b.fogFlags[2], 0);
    s.setRenderState(D3DRS_FOGENABLE, 1);
    s.setRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    s.setRenderState(D3DRS_RANGEFOGENABLE, 1);
    s.setRenderState(D3DRS_ALPHATESTENABLE, 1);
    s.setRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    s.setRenderState(D3DRS_ALPHAREF, 0x101); // only the low byte counts
    buildGenericFixedFunctionBlock(s, 1, 1, b);
    EXPECT_EQ(b.fogFlags[0], int(D3DFOG_LINEAR));
    EXPECT_EQ(b.fogFlags[1], 1);
    EXPECT_EQ(b.fogFlags[2], int(D3DCMP_GREATEREQUAL));
    EXPECT_EQ(b.constants.alphaReference, 1.0f);
}

} // namespace
} // namespace zamp
