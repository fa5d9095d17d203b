// The image and layer script functions and the image layer's exact device calls.
#include "gfx/D3DXMath.h"
#include "show/ImageLayer.h"
#include "support/RecordingDevice.h"
#include "support/ScriptedShow.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <lua.hpp>

namespace zamp {
namespace {

struct ImageFixture : ::testing::Test {
    test::RecordingDevice device;
    test::ScriptedShow s{device};
    Show& show = s.show;
    void run(const std::string& source) { ASSERT_EQ(s.run(source), ScriptRun::Finished); }
    // In a show of its own: once a script function failed, every later call fails.
    std::string failure(const std::string& source) { return test::ScriptedShow(device).failure(source); }
    ImageLayer& imageLayer(int n) { return dynamic_cast<ImageLayer&>(*show.layers.at(n)); }
};

TEST_F(ImageFixture, LayerNumbersCountBothKindsAndOtherKindsGiveMinusOne) {
    run("createtexture(0, 0, 'a') "
        "first = layer(2, 'a', 0, 5, 6) second = layer(2, 'a', 1, 5, 6) "
        "other = layer(3, 'a') kind = layer(2.7, 'a', 0, 1, 1)");
    EXPECT_EQ(s.global("first"), 0);
    EXPECT_EQ(s.global("second"), 1);
    EXPECT_EQ(s.global("other"), -1);
    EXPECT_EQ(s.global("kind"), 2);
    EXPECT_EQ(show.layers.size(), 3u);
}

TEST_F(ImageFixture, FailureTexts) {
    EXPECT_EQ(failure("layer(2, 'nope', 0, 1, 1)"), "layer: Image with name nope not found.");
    EXPECT_EQ(failure("layer(1, 'nope', 0, 0, 0, 1, 1)"), "layer: Scene with name nope not found.");
}

TEST_F(ImageFixture, LayerNumbersAreChecked) {
    EXPECT_EQ(failure("start(0, 0)"), "start: layer 0 does not exist (there are no layers yet)");
    EXPECT_EQ(failure("createtexture(0,0,'a') n = layer(2,'a',0,1,1) setimagepos(0, 1, 1, n + 1)"),
              "setimagepos: layer 1 does not exist");
    EXPECT_EQ(failure("createtexture(0,0,'a') n = layer(2,'a',0,1,1) stop(1, -1)"),
              "stop: layer -1 does not exist (layer numbers run from 0 to 0)");
}

TEST_F(ImageFixture, KeysBeforeAStartAndUnknownKindsEarnOneWarningEach) {
    run("createtexture(0, 0, 'a') n = layer(2, 'a', 0, 1, 1) m = layer(2, 'a', 0, 1, 1) "
        "setimagepos(0, 1, 2, n) setimagepos(1, 1, 2, n) setimagerot(0, 5, n) setimagepos(0, 1, 2, m) "
        "start(0, n) setimagepos(2, 1, 2, n) layer(7) layer(7) layer(0)");
    EXPECT_EQ(show.warnings.all(),
              (std::vector<std::string>{
                  "setimagepos: layer 0 has no start time yet, so its keys get no time and the layer shows its last "
                  "key throughout; call start before adding keys",
                  "setimagerot: layer 0 has no start time yet, so its keys get no time and the layer shows its last "
                  "key throughout; call start before adding keys",
                  "setimagepos: layer 1 has no start time yet, so its keys get no time and the layer shows its last "
                  "key throughout; call start before adding keys",
                  "layer: kind 7 is neither 1 (a scene) nor 2 (an image): no layer is made and the result is -1",
                  "layer: kind 0 is neither 1 (a scene) nor 2 (an image): no layer is made and the result is -1"}));
    EXPECT_TRUE(std::isnan(imageLayer(0).position.keys()[0].time)) << "the warning says what the key gets";
}

TEST_F(ImageFixture, TextureSizesThatAreNoNumberOrOutsideTheDevicesAreRefused) {
    const struct {
        const char* call;
        const char* sizes;
    } cases[] = {
        {"createtexture(-4, 16, 'bad')", "-4 by 16"},
        {"createtexture(16, -4, 'bad')", "16 by -4"},
        // NaN used to truncate to 0 and quietly make an image without texture.
        {"createtexture(0/0, 16, 'bad')", "nan by 16"},
        {"createtexture(16, -(0/0), 'bad')", "16 by nan"},
        {"createtexture(1/0, 16, 'bad')", "2147483647 by 16"},
        {"createtexture(8193, 1, 'bad')", "8193 by 1"},
        {"createtexture(1, 65536, 'bad')", "1 by 65536"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.call);
        test::ScriptedShow own(device);
        EXPECT_EQ(own.failure(c.call),
                  std::string("createtexture: bad cannot be ") + c.sizes + " (sizes are numbers from 0 to 8192)");
        EXPECT_EQ(own.show.images.size(), 0u) << "nothing is made";
    }
    // The largest side is made; 0 still gives an image without texture.
    run("createtexture(8192, 8192, 'big') createtexture(0, 5, 'plain') createtexture(5, 0, 'flat')");
    ASSERT_EQ(show.images.size(), 3u);
    EXPECT_EQ(show.textures.record(0).width, 8192);
    EXPECT_EQ(show.images[1].texture, nullptr);
    EXPECT_EQ(show.images[2].texture, nullptr);
}

TEST_F(ImageFixture, CaptureNeedsARenderTargetImage) {
    EXPECT_EQ(failure("capture('x', 0, 1)"), "Texture with name x for capture not found.");
    EXPECT_EQ(failure("createtexture(0, 0, 'plain') capture('plain', 0, 1)"),
              "capture: image plain has no render target to draw into (make it with createtexture and a size)");
}

TEST_F(ImageFixture, CaptureTimesAreTruncatedAndNumberedApart) {
    run("createtexture(64, 64, 'rt') createtexture(0, 0, 'a') n = layer(2, 'a', 0, 1, 1) "
        "c0 = capture('rt', 2.9, 7.9) c1 = capture('rt', -1.5, 3)");
    CaptureLayer* c0 = show.layers.captureAt(0);
    ASSERT_NE(c0, nullptr);
    EXPECT_EQ(c0->start, 2.0f);
    EXPECT_EQ(c0->end, 7.0f);
    EXPECT_EQ(show.layers.captureAt(1)->start, -1.0f);
}

TEST_F(ImageFixture, KeyTimesAreRelativeToTheStartWhenAdded) {
    run("createtexture(0, 0, 'a') n = layer(2, 'a', 0, 1, 1) start(5, n) setimagepos(6, 10, 20, n) start(10, n)");
    const auto& keys = imageLayer(0).position.keys();
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].time, 1.0f);
    EXPECT_EQ(keys[0].tension, 1.0f);
    run("setimagecolor(10, 255, 0, 127.5, 255, 0)");
    Vec4 c = imageLayer(0).colour.keys()[0].value;
    EXPECT_EQ(c.r, 255 * 0.003921569f);
    EXPECT_EQ(c.b, 127.5f * 0.003921569f);
}

TEST_F(ImageFixture, UntexturedLayerCallSequence) {
    run("setambientcolor(1, 2, 3) createtexture(0, 0, 'a') n = layer(2, 'a', 0, 5, 6) start(0, n) stop(9, n) "
        "setimagecolor(0, 255, 0, 0, 128, n)");
    device.clearLog();
    s.drawFrame(0);
    EXPECT_EQ(device.log,
              (std::vector<std::string>{
                  "Clear(1, 0xff000000, 1.000000, 0)", "SetTransform(3)", "SetTransform(2)", "SetTransform(256)",
                  "SetRenderState(139, 0xffffffff)", "BeginScene()", "SetRenderState(137, 0x00000001)",
                  "SetMaterial()", "SetTexture(0, null)", "SetTextureStageState(0, 1, 2)",
                  "SetTextureStageState(0, 2, 0)", "SetRenderState(27, 0x00000001)", "SetRenderState(19, 0x00000005)",
                  "SetRenderState(20, 0x00000006)", "DrawSubset(0)", "EndScene()", "SetRenderState(139, 0x00010203)",
                  "Present()"}));
    const DeviceState& at = device.draws.at(0).state;
    EXPECT_EQ(at.renderState(D3DRS_AMBIENT), 0xFFFFFFFFu);
    EXPECT_EQ(at.material().ambient, (Vec4{1.0f * 255 * 0.003921569f, 0, 0, 128 * 0.003921569f}));
    EXPECT_EQ(at.material().diffuse, at.material().ambient);
    // The canvas, 1024 by 768, with y up: ortho (0, 1024, 0, 768, 0, 1).
    EXPECT_EQ(at.transform(D3DTS_PROJECTION), matrixOrthoOffCenterLH(0, 1024, 0, 768, 0, 1));
    EXPECT_EQ(at.transform(D3DTS_VIEW), Matrix::identity());
}

TEST_F(ImageFixture, TexturedLayerSetsTheFourStageStatesAndSharedMaterial) {
    run("createtexture(32, 16, 'rt') n = layer(2, 'rt', 0, 2, 1) start(0, n) stop(9, n) "
        "m = layer(2, 'rt', 0, 2, 1) start(0, m) stop(9, m) setimagecolor(0, 0, 255, 0, 255, n)");
    device.clearLog();
    s.drawFrame(0);
    EXPECT_EQ(device.calls("SetTextureStageState"),
              (std::vector<std::string>{"SetTextureStageState(0, 1, 4)", "SetTextureStageState(0, 2, 2)",
                                        "SetTextureStageState(0, 3, 0)", "SetTextureStageState(0, 4, 2)",
                                        "SetTextureStageState(0, 1, 4)", "SetTextureStageState(0, 2, 2)",
                                        "SetTextureStageState(0, 3, 0)", "SetTextureStageState(0, 4, 2)"}));
    ASSERT_EQ(device.draws.size(), 2u);
    // The second layer has no colour keys: it shows the colour the first wrote into the image.
    EXPECT_EQ(device.draws[1].state.material().diffuse, (Vec4{0, 1.0f * 255 * 0.003921569f, 0, 255 * 0.003921569f}));
    EXPECT_NE(device.draws[1].state.texture(0), nullptr);
}

TEST_F(ImageFixture, WorldMatrixPlacesScalesAndRotatesAboutTheCentre) {
    run("createtexture(0, 0, 'a') n = layer(2, 'a', 0, 1, 1) start(0, n) stop(9, n) "
        "setimagepos(0, 100, 50, n) setimagescale(0, 200, 100, n) setimagerot(0, 90, n)");
    Matrix w = imageLayer(0).worldMatrix(0);
    // The quad's top-left corner (0, 0) and centre (0.5, -0.5) in canvas units, y up.
    Vec4 centre = transformPoint({0.5f, -0.5f, 0}, w);
    EXPECT_NEAR(centre.r, 200, 1e-3);
    EXPECT_NEAR(centre.g, 768 - 100, 1e-3);
    Vec4 corner = transformPoint({0, 0, 0}, w);
    // A quarter turn counter-clockwise takes the top-left corner to the bottom-left.
    EXPECT_NEAR(corner.r, 200 - 50, 0.05);
    EXPECT_NEAR(corner.g, 668 - 100, 0.05);
    EXPECT_EQ(w.m[2][2], 0.0f); // a flat quad: z scale 0
}

} // namespace
} // namespace zamp
