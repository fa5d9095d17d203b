// The scene layer's exact device sequence, with the recording device.
#include "core/Error.h"
#include "gfx/D3DXMath.h"
#include "show/RenderContext.h"
#include "show/SceneLayer.h"
#include "show/ScenePlayback.h"
#include "show/Show.h"
#include "support/RecordingDevice.h"
#include "support/SceneMaker.h"
#include "support/ShowSupport.h"

#include <gtest/gtest.h>

#include <array>

#include <cmath>

namespace zamp {
namespace {

using test::addCamera;
using test::addMesh;
using test::makeFacingQuad;

struct SceneFixture : ::testing::Test {
    test::RecordingDevice device;
    RenderContext context{device, device.renderTarget(0)};
    SceneList scenes;

    Scene& scene(int lights, const std::string& name = "s") {
        auto s = std::make_unique<Scene>();
        s->name = name;
        addCamera(*s, {0, 0, -10}, {0, 0, 0});
        for (int i = 0; i < lights; ++i) s->lights.push_back({test::directionalLight({0, 0, 1}, {1, 1, 1, 1})});
        return scenes.append(std::move(s));
    }
    SceneLayer layerFor(int index, float offset = 0) {
        return SceneLayer(scenes, index, 0, offset, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    }
    std::vector<std::string> lightCalls() {
        std::vector<std::string> out;
        for (auto& e : device.log)
            if (e.rfind("SetLight", 0) == 0 || e.rfind("LightEnable", 0) == 0) out.push_back(e);
        return out;
    }
};

TEST_F(SceneFixture, FullSequenceOfOneMesh) {
    Scene& s = scene(1);
    addMesh(s, makeFacingQuad(2, 2), {0, 0, 0}, test::plainMaterial({1, 1, 1, 1}, {1, 1, 1, 1}));
    SceneLayer layer = layerFor(0);
    layer.render(0, context);
    EXPECT_EQ(device.log,
              (std::vector<std::string>{"Clear(2, 0xff000000, 1.000000, 0)", "BeginScene()", "SetTransform(2)",
                                        "SetTransform(3)", "SetRenderState(7, 0x00000001)", "SetLight(0, type 3)",
                                        "LightEnable(0, TRUE)", "LightEnable(1, FALSE)", "LightEnable(2, FALSE)",
                                        "LightEnable(3, FALSE)", "LightEnable(4, FALSE)", "LightEnable(5, FALSE)",
                                        "LightEnable(6, FALSE)", "LightEnable(7, FALSE)",
                                        "SetRenderState(137, 0x00000001)", "SetRenderState(27, 0x00000001)",
                                        "SetRenderState(19, 0x00000005)", "SetRenderState(20, 0x00000006)",
                                        "SetRenderState(15, 0x00000001)", "SetRenderState(24, 0x00000001)",
                                        "SetRenderState(25, 0x00000007)", "SetMaterial()", "SetTexture(0, null)",
                                        "SetTransform(256)", "SetRenderState(22, 0x00000003)", "DrawSubset(0)",
                                        "EndScene()", "SetRenderState(15, 0x00000000)"}));
}

TEST_F(SceneFixture, LightsOfOneSceneDoNotLightTheNext) {
    scene(3);
    scene(1);
    layerFor(0).render(0, context);
    layerFor(1).render(0, context);
    for (DWORD i = 0; i < 8; ++i) EXPECT_EQ(device.state().lightEnabled(i), i == 0) << i;
    std::vector<std::string> calls = lightCalls();
    EXPECT_EQ(calls[0], "SetLight(0, type 3)");
    EXPECT_EQ(calls[5], "LightEnable(2, TRUE)");
    EXPECT_EQ(calls[6], "LightEnable(3, FALSE)");
}

TEST_F(SceneFixture, TenLightsAreAllEnabledAndNoneSwitchedOff) {
    scene(10);
    layerFor(0).render(0, context);
    std::vector<std::string> calls = lightCalls();
    ASSERT_EQ(calls.size(), 20u);
    EXPECT_EQ(calls.back(), "LightEnable(9, TRUE)");
    EXPECT_TRUE(device.calls("LightEnable(0, FALSE").empty());
}

TEST_F(SceneFixture, ASceneAfterOneWithMoreThanEightLightsHasExactlyItsOwn) {
    // The layer used to switch off only indices 0..7: lights 8..11 of a 12-light scene stayed
    // on for every later scene.
    scene(12);
    scene(1);
    layerFor(0).render(0, context);
    for (DWORD i = 0; i < 12; ++i) EXPECT_TRUE(device.state().lightEnabled(i)) << i;
    std::array<const Light*, kMaxActiveLights> active{};
    // Direct3D 9 lights the first eight in enabling order (as Wine does).
    ASSERT_EQ(device.state().activeLights(active), kMaxActiveLights);
    for (int i = 0; i < kMaxActiveLights; ++i) EXPECT_EQ(active[i], device.state().light(DWORD(i))) << i;

    device.clearLog();
    layerFor(1).render(0, context);
    for (DWORD i = 0; i < 12; ++i) EXPECT_EQ(device.state().lightEnabled(i), i == 0) << i;
    EXPECT_EQ(device.state().activeLights(active), 1);
    EXPECT_EQ(lightCalls().back(), "LightEnable(11, FALSE)");

    // And back: the big scene gets all twelve again, the first eight lit.
    layerFor(0).render(0, context);
    ASSERT_EQ(device.state().activeLights(active), kMaxActiveLights);
    for (int i = 0; i < kMaxActiveLights; ++i) EXPECT_EQ(active[i], device.state().light(DWORD(i))) << i;
}

TEST_F(SceneFixture, NoLightsSwitchesOffAllEight) {
    scene(0);
    layerFor(0).render(0, context);
    EXPECT_EQ(lightCalls().size(), 8u);
    EXPECT_EQ(device.calls("LightEnable").front(), "LightEnable(0, FALSE)");
}

// Everything of two device states that drawing reads.
void expectSameState(const DeviceState& a, const DeviceState& b, const std::string& where) {
    for (DWORD r = 0; r < kRenderStateCount; ++r)
        EXPECT_EQ(a.renderState(D3DRENDERSTATETYPE(r)), b.renderState(D3DRENDERSTATETYPE(r))) << where << ", render state " << r;
    for (DWORD t : {DWORD(D3DTS_WORLD), DWORD(D3DTS_VIEW), DWORD(D3DTS_PROJECTION)})
        EXPECT_EQ(a.transform(t), b.transform(t)) << where << ", transform " << t;
    EXPECT_EQ(a.material(), b.material()) << where;
    for (DWORD stage = 0; stage < kTextureStageCount; ++stage) {
        EXPECT_EQ(a.texture(stage), b.texture(stage)) << where << ", texture " << stage;
        for (DWORD type = 0; type < kTextureStageStateCount; ++type)
            EXPECT_EQ(a.textureStageState(stage, D3DTEXTURESTAGESTATETYPE(type)),
                      b.textureStageState(stage, D3DTEXTURESTAGESTATETYPE(type)))
                << where << ", stage " << stage << " state " << type;
    }
    for (DWORD light = 0; light < kManagedLights; ++light) EXPECT_EQ(a.lightEnabled(light), b.lightEnabled(light)) << where;
}

TEST_F(SceneFixture, CullingSkipsDrawsAndLeavesEveryDrawsStateAndTheLastState) {
    // A textured mesh behind the eye, one in view that keeps the stage states the first sets,
    // and a two-sided last mesh out to the right, whose state must outlast the layer.
    Scene& s = scene(1);
    TextureRegistry textures;
    SceneMesh& behind = addMesh(s, makeFacingQuad(1, 1), {0, 0, -30}, test::plainMaterial({1, 0, 0, 1}, {}));
    behind.texture = &textures.createRenderTarget(device, "rt", 4, 4);
    behind.hasTexture = true;
    addMesh(s, makeFacingQuad(1, 1), {0, 0, 0}, test::plainMaterial({0, 1, 0, 1}, {}));
    SceneMesh& right = addMesh(s, makeFacingQuad(1, 1), {50, 0, 0}, test::plainMaterial({0, 0, 1, 1}, {}));
    right.twoSided = true;
    SceneLayer layer = layerFor(0);
    test::RecordingDevice culled;
    MeshCounts counts, uncounted;
    RenderContext cullingContext{culled, culled.renderTarget(0), kScreenAspectRatio, true, &counts};
    context.meshCounts = &uncounted;
    layer.render(0, context);
    layer.render(0, cullingContext);
    ASSERT_EQ(device.draws.size(), 3u);
    ASSERT_EQ(culled.draws.size(), 1u);
    EXPECT_EQ(culled.draws[0].mesh, s.meshes[1]->mesh.get());
    expectSameState(culled.draws[0].state, device.draws[1].state, "at the draw");
    expectSameState(culled.state(), device.state(), "after the layer");
    EXPECT_EQ(counts.drawn, 1u);
    EXPECT_EQ(counts.skipped, 2u);
    EXPECT_EQ(uncounted.drawn, 3u);
    EXPECT_EQ(uncounted.skipped, 0u);
}

TEST_F(SceneFixture, UntexturedMeshKeepsTheStageStatesOfATexturedOne) {
    Scene& s = scene(0);
    TextureRegistry textures;
    SceneMesh& textured = addMesh(s, makeFacingQuad(1, 1), {}, test::plainMaterial({1, 1, 1, 1}, {}));
    textured.texture = &textures.createRenderTarget(device, "rt", 4, 4);
    textured.hasTexture = true;
    SceneMesh& plain = addMesh(s, makeFacingQuad(1, 1), {}, test::plainMaterial({1, 1, 1, 1}, {}));
    plain.twoSided = true;
    addMesh(s, makeFacingQuad(1, 1), {}, test::plainMaterial({1, 1, 1, 1}, {}));
    device.clearLog();
    layerFor(0).render(0, context);
    EXPECT_EQ(device.calls("SetTextureStageState").size(), 5u);
    ASSERT_EQ(device.draws.size(), 3u);
    const DeviceState& second = device.draws[1].state;
    EXPECT_EQ(second.texture(0), nullptr);
    EXPECT_EQ(second.textureStageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE));
    EXPECT_EQ(second.textureStageState(0, D3DTSS_COLORARG2), DWORD(D3DTA_DIFFUSE));
    EXPECT_EQ(second.renderState(D3DRS_CULLMODE), DWORD(D3DCULL_NONE));
    EXPECT_EQ(device.draws[2].state.renderState(D3DRS_CULLMODE), DWORD(D3DCULL_CCW));
    EXPECT_EQ(device.state().renderState(D3DRS_CULLMODE), DWORD(D3DCULL_CCW)); // the last mesh's
}

TEST_F(SceneFixture, FailedBeginSceneStillSwitchesTheAlphaTestOff) {
    Scene& s = scene(2);
    addMesh(s, makeFacingQuad(1, 1), {}, test::plainMaterial({1, 1, 1, 1}, {}));
    device.setRenderState(D3DRS_ALPHATESTENABLE, 1);
    device.failBeginScene = true;
    device.clearLog();
    layerFor(0).render(0, context);
    EXPECT_EQ(device.log, (std::vector<std::string>{"Clear(2, 0xff000000, 1.000000, 0)", "BeginScene() failed",
                                                    "SetRenderState(15, 0x00000000)"}));
}

TEST_F(SceneFixture, CameraCheckAtCreation) {
    Scene& s = scene(0);
    addCamera(s, {0, 0, -1}, {0, 0, 0}); // two cameras: 0 and 1
    EXPECT_NO_THROW(SceneLayer(scenes, 0, 1, 0, 1, 1));
    for (int bad : {2, -1}) {
        try {
            SceneLayer(scenes, 0, bad, 0, 1, 1);
            FAIL() << bad;
        } catch (const Error& error) {
            EXPECT_STREQ(error.what(), "Ugyldig kamera valgt!");
        }
    }
    auto empty = std::make_unique<Scene>();
    scenes.append(std::move(empty));
    EXPECT_THROW(SceneLayer(scenes, 1, 0, 0, 1, 1), Error);
}

TEST_F(SceneFixture, ProjectionUsesTheAspectOfTheMoment) {
    scene(0);
    SceneLayer layer = layerFor(0);
    context.aspectRatio = 2.0f;
    layer.render(0, context);
    EXPECT_FLOAT_EQ(device.state().transform(D3DTS_PROJECTION).m[0][0], 1.7925910f / 2);
    context.aspectRatio = kScreenAspectRatio;
    layer.render(0, context);
    EXPECT_NEAR(device.state().transform(D3DTS_PROJECTION).m[0][0], 1.3444432f, 1e-6);
    EXPECT_NEAR(device.state().transform(D3DTS_PROJECTION).m[1][1], 1.7925910f, 1e-6);
}

TEST_F(SceneFixture, PointInFrontOfTheCameraLandsWhereTheMatricesPutIt) {
    Scene& s = scene(0);
    SceneCamera& c = s.cameras[0];
    Matrix vp = matrixMultiply(cameraView(c, 0), cameraProjection(c, 0, kScreenAspectRatio));
    // The target projects to the centre at depth between near and far.
    Vec4 centre = transformPoint({0, 0, 0}, vp);
    EXPECT_NEAR(centre.r / centre.a, 0, 1e-6);
    EXPECT_NEAR(centre.g / centre.a, 0, 1e-6);
    EXPECT_NEAR(centre.a, 10, 1e-5);
    // A point one unit up, ten units away: y = yScale / 10.
    Vec4 up = transformPoint({0, 1, 0}, vp);
    EXPECT_NEAR(up.g / up.a, 0.17925910f, 1e-6);
    Vec4 right = transformPoint({1, 0, 0}, vp);
    EXPECT_NEAR(right.r / right.a, 0.13444432f, 1e-6);
}

TEST_F(SceneFixture, TimeOffsetShiftsTheSceneTime) {
    Scene& s = scene(0);
    SceneCamera& c = s.cameras[0];
    c.position = TCBCurve<Vec3>();
    c.position.addKey({0, 1, 0, 0, {0, 0, -10}});
    c.position.addKey({5, 1, 0, 0, {0, 0, -20}});
    Show show;
    auto layer = std::make_unique<SceneLayer>(scenes, 0, 0, 2.5f, 1, 1);
    layer->start = 10;
    layer->end = 20;
    show.layers.add(std::move(layer), 0);
    test::drawFrame(show, device, 10);
    EXPECT_EQ(device.state().transform(D3DTS_VIEW), cameraView(c, 2.5f));
    EXPECT_NE(device.state().transform(D3DTS_VIEW), cameraView(c, 0));
}

TEST_F(SceneFixture, RotationWithoutPositionTrackTurnsAboutTheMeshOrigin) {
    Scene& s = scene(0);
    SceneMesh& m = addMesh(s, makeFacingQuad(1, 1), {3, 0, 0}, test::plainMaterial({1, 1, 1, 1}, {}));
    m.rotation = LinearQuaternionCurve();
    m.rotation.addKey({0, {0, 0, 0, 1}});
    m.rotation.addKey({1, {0, 1, 0, 0}}); // half a turn about y
    Matrix w = meshWorldMatrix(m, 0.5f);
    Vec4 origin = transformPoint({0, 0, 0}, w);
    EXPECT_NEAR(origin.r, 3, 1e-6);
    Vec4 x = transformPoint({1, 0, 0}, w); // a quarter turn at the middle
    EXPECT_NEAR(x.r, 3, 1e-5);
    EXPECT_NEAR(std::fabs(x.b), 1, 1e-5);
}

} // namespace
} // namespace zamp
