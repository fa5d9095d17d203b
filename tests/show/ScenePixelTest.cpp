// Scene layers drawn by the real OpenGL device.
#include "show/ImageLayer.h"
#include "show/SceneLayer.h"
#include "show/Show.h"
#include "support/SceneMaker.h"
#include "support/ShowSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace zamp {
namespace {

struct ScenePixels : ::testing::Test {
    test::OffscreenGl gl{1024, 768};
    Device& device = gl.device();
    Show show;

    Scene& scene(const std::string& name = "s") {
        auto s = std::make_unique<Scene>();
        s->name = name;
        test::addCamera(*s, {0, 0, -10}, {0, 0, 0});
        return show.scenes.append(std::move(s));
    }
    int sceneLayer(int index, int order = 0, DWORD src = D3DBLEND_ONE, DWORD dst = D3DBLEND_ZERO) {
        auto l = std::make_unique<SceneLayer>(show.scenes, index, 0, 0, src, dst);
        l->start = 0, l->end = 100;
        return show.layers.add(std::move(l), order);
    }
    RgbImage frame() {
        test::drawFrame(show, device, 1);
        return device.readRenderTarget();
    }
};

#define EXPECT_PIXEL(image, x, y, ...) EXPECT_PIXEL_NEAR(image, x, y, 2, __VA_ARGS__)

TEST_F(ScenePixels, QuadTenUnitsAwayIsTheSquareTheProjectionGives) {
    // Half size on screen: yScale / 10 * 384 = xScale / 10 * 512 = 68.8 pixels.
    device.setRenderState(D3DRS_AMBIENT, 0x00804000);
    Scene& s = scene();
    test::addMesh(s, test::makeFacingQuad(2, 2), {0, 0, 0}, test::plainMaterial({0, 0, 0, 1}, {1, 0.5f, 1, 1}));
    sceneLayer(0);
    auto img = frame();
    EXPECT_PIXEL(img, 512, 384, 128, 32, 0);
    for (auto [x, y] : {std::pair{512 - 66, 384}, {512 + 66, 384}, {512, 384 - 66}, {512, 384 + 66}})
        EXPECT_PIXEL(img, x, y, 128, 32, 0);
    for (auto [x, y] : {std::pair{512 - 72, 384}, {512 + 72, 384}, {512, 384 - 72}, {512, 384 + 72}})
        EXPECT_PIXEL(img, x, y, 0, 0, 0);
}

TEST_F(ScenePixels, CounterClockwiseIsCulledUnlessTwoSided) {
    device.setRenderState(D3DRS_AMBIENT, 0x00FFFFFF);
    Scene& s = scene();
    test::addMesh(s, test::makeFacingQuad(1, 1, true), {-2, 0, 0}, test::plainMaterial({0, 0, 0, 1}, {1, 1, 1, 1}));
    SceneMesh& two = test::addMesh(s, test::makeFacingQuad(1, 1, true), {2, 0, 0},
                                   test::plainMaterial({0, 0, 0, 1}, {1, 1, 1, 1}));
    two.twoSided = true;
    sceneLayer(0);
    auto img = frame();
    // x = -2 and 2 at ten units: 512 -/+ 2 * 0.13444 * 512 = 374 and 650.
    EXPECT_PIXEL(img, 374, 384, 0, 0, 0);
    EXPECT_PIXEL(img, 650, 384, 255, 255, 255);
}

TEST_F(ScenePixels, DirectionalLightGivesTheMaterialDiffuse) {
    Scene& s = scene();
    s.lights.push_back({test::directionalLight({0, 0, 1}, {1, 1, 1, 1})});
    test::addMesh(s, test::makeFacingQuad(2, 2), {}, test::plainMaterial({0.2f, 0.4f, 0.8f, 1}, {1, 1, 1, 1}));
    sceneLayer(0);
    EXPECT_PIXEL(frame(), 512, 384, 51, 102, 204);
}

TEST_F(ScenePixels, FogAtTheMiddleOfItsRangeGivesHalfFogColour) {
    Device& d = device;
    d.setRenderState(D3DRS_AMBIENT, 0x00FFFFFF);
    d.setRenderState(D3DRS_FOGENABLE, 1);
    d.setRenderState(D3DRS_RANGEFOGENABLE, 1);
    d.setRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    d.setRenderState(D3DRS_FOGCOLOR, 0xFFFF0000);
    d.setRenderState(D3DRS_FOGSTART, floatBits(0));
    d.setRenderState(D3DRS_FOGEND, floatBits(20));
    Scene& s = scene();
    test::addMesh(s, test::makeFacingQuad(0.2f, 0.2f), {}, test::plainMaterial({0, 0, 0, 1}, {0, 0, 1, 1}));
    sceneLayer(0);
    EXPECT_PIXEL(frame(), 512, 384, 128, 0, 127);
}

TEST_F(ScenePixels, TexelsWithAlphaZeroAreDiscarded) {
    device.setRenderState(D3DRS_AMBIENT, 0x00FFFFFF);
    auto texture = device.createTexture(2, 1, 0, D3DFMT_A8R8G8B8);
    const std::uint32_t texels[] = {0x00FF0000, 0x0100FF00}; // alpha 0 and 1/255
    texture->upload(texels);
    TextureRecord record;
    record.texture = std::move(texture);
    Scene& s = scene();
    SceneMesh& m = test::addMesh(s, test::makeFacingQuad(2, 2), {}, test::plainMaterial({1, 1, 1, 1}, {1, 1, 1, 1}));
    m.texture = &record;
    m.hasTexture = true;
    sceneLayer(0); // ONE / ZERO: a texel that passes the test is written whatever its alpha
    auto img = frame();
    EXPECT_PIXEL(img, 512 - 30, 384, 0, 0, 0);
    EXPECT_PIXEL(img, 512 + 30, 384, 0, 255, 0);
}

TEST_F(ScenePixels, SecondSceneLayerClearsOnlyDepth) {
    device.setRenderState(D3DRS_AMBIENT, 0x00FFFFFF);
    Scene& a = scene("a");
    test::addMesh(a, test::makeFacingQuad(2, 2), {-1.5f, 0, 0}, test::plainMaterial({0, 0, 0, 1}, {1, 0, 0, 1}));
    Scene& b = scene("b");
    // Nearer than the first scene's quad, overlapping its right half.
    test::addMesh(b, test::makeFacingQuad(2, 2), {0, 0, 0}, test::plainMaterial({0, 0, 0, 1}, {0, 1, 0, 1}));
    sceneLayer(0, 0);
    sceneLayer(1, 1);
    auto img = frame();
    EXPECT_PIXEL(img, 512 - 150, 384, 255, 0, 0);
    EXPECT_PIXEL(img, 512, 384, 0, 255, 0);
}

TEST_F(ScenePixels, CaptureIntoAWideTargetStaysSquare) {
    device.setRenderState(D3DRS_AMBIENT, 0x00FFFFFF);
    Scene& s = scene();
    test::addMesh(s, test::makeFacingQuad(2, 2), {}, test::plainMaterial({0, 0, 0, 1}, {1, 1, 1, 1}));
    sceneLayer(0, 20); // routed to the capture
    test::addCaptureShownAsImage(show, device, "rt", 512, 256, 0);
    auto img = frame();
    // Drawn at its own size at the top-left: centre (256, 128), half size yScale / 10 * 128.
    const int half = int(1.7925910f / 10 * 128); // 22.9
    EXPECT_PIXEL(img, 256, 128, 255, 255, 255);
    EXPECT_PIXEL(img, 256 - half + 2, 128, 255, 255, 255);
    EXPECT_PIXEL(img, 256 + half - 2, 128, 255, 255, 255);
    EXPECT_PIXEL(img, 256, 128 - half + 2, 255, 255, 255);
    EXPECT_PIXEL(img, 256 + half + 3, 128, 0, 0, 0);
    EXPECT_PIXEL(img, 256, 128 + half + 3, 0, 0, 0);
}

TEST_F(ScenePixels, CaptureLargerThanTheBackBufferKeepsItsDepth) {
    // Depth matters beyond the back buffer's 1024 by 768: the far quad is drawn after the near
    // one and must stay hidden behind it everywhere, also at x = 1900.
    device.setRenderState(D3DRS_AMBIENT, 0x00FFFFFF);
    Scene& s = scene();
    test::addMesh(s, test::makeFacingQuad(20, 20), {0, 0, 0}, test::plainMaterial({0, 0, 0, 1}, {0, 1, 0, 1}));
    test::addMesh(s, test::makeFacingQuad(40, 40), {0, 0, 5}, test::plainMaterial({0, 0, 0, 1}, {1, 0, 0, 1}));
    sceneLayer(0, 20);
    TextureRecord& rt = show.textures.createRenderTarget(device, "big", 2048, 2048);
    auto capture = std::make_unique<CaptureLayer>(rt);
    capture->start = 0, capture->end = 100;
    show.layers.addCapture(std::move(capture));
    frame();
    ASSERT_TRUE(device.setRenderTarget(0, rt.surface));
    auto img = device.readRenderTarget();
    ASSERT_EQ(img.width, 2048);
    EXPECT_PIXEL(img, 1900, 1024, 0, 255, 0);
    EXPECT_PIXEL(img, 1024, 1900, 0, 255, 0);
    EXPECT_PIXEL(img, 1024, 1024, 0, 255, 0);
}

} // namespace
} // namespace zamp
