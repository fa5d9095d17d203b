// Image layers drawn by the real OpenGL device, probed away from edges.
#include "support/ScriptedShow.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zamp {
namespace {

struct PixelFixture : ::testing::Test {
    test::OffscreenGl gl{1024, 768};
    test::ScriptedShow s{gl.device()};
    test::TempDir dir;
    std::filesystem::path previous = std::filesystem::current_path();

    PixelFixture() { std::filesystem::current_path(dir.path()); }
    ~PixelFixture() override { std::filesystem::current_path(previous); }

    RgbImage frame(const std::string& script, float t = 0) {
        EXPECT_EQ(s.run(script), ScriptRun::Finished);
        s.drawFrame(t);
        return gl.device().readRenderTarget();
    }
};

#define EXPECT_PIXEL(image, x, y, ...) EXPECT_PIXEL_NEAR(image, x, y, 1, __VA_ARGS__)

constexpr const char* kPlain = "createtexture(0, 0, 'plain') ";

TEST_F(PixelFixture, OneColourKeyFillsTheCanvas) {
    auto img = frame(std::string(kPlain) + "n = layer(2, 'plain', 0, 2, 1) start(0, n) stop(1, n) "
                                           "setimagecolor(0, 255, 0, 0, 255, n)");
    for (auto [x, y] : {std::pair{1, 1}, {512, 384}, {1022, 766}}) EXPECT_PIXEL(img, x, y, 255, 0, 0);
}

TEST_F(PixelFixture, PositionAndScalePlaceTheImage) {
    auto img = frame(std::string(kPlain) + "n = layer(2, 'plain', 0, 2, 1) start(0, n) stop(1, n) "
                                           "setimagecolor(0, 0, 255, 0, 255, n) "
                                           "setimagepos(0, 512, 384, n) setimagescale(0, 100, 50, n)");
    EXPECT_PIXEL(img, 514, 386, 0, 255, 0);
    EXPECT_PIXEL(img, 609, 431, 0, 255, 0);
    EXPECT_PIXEL(img, 509, 386, 0, 0, 0);
    EXPECT_PIXEL(img, 514, 381, 0, 0, 0);
    EXPECT_PIXEL(img, 615, 400, 0, 0, 0);
    EXPECT_PIXEL(img, 550, 437, 0, 0, 0);
}

TEST_F(PixelFixture, QuarterTurnIsCounterClockwiseAboutTheCentre) {
    // A 200 by 20 bar centred at (500, 400) becomes a 20 by 200 bar at the same centre.
    auto img = frame(std::string(kPlain) + "n = layer(2, 'plain', 0, 2, 1) start(0, n) stop(1, n) "
                                           "setimagecolor(0, 255, 255, 255, 255, n) "
                                           "setimagepos(0, 400, 390, n) setimagescale(0, 200, 20, n) "
                                           "setimagerot(0, 90, n)");
    EXPECT_PIXEL(img, 500, 310, 255, 255, 255);
    EXPECT_PIXEL(img, 500, 490, 255, 255, 255);
    EXPECT_PIXEL(img, 420, 400, 0, 0, 0);
    EXPECT_PIXEL(img, 580, 400, 0, 0, 0);
}

TEST_F(PixelFixture, RotationDirectionShowsOnAnAsymmetricKey) {
    // A 45 degree turn of a wide bar raises its right end on the screen.
    auto img = frame(std::string(kPlain) + "n = layer(2, 'plain', 0, 2, 1) start(0, n) stop(1, n) "
                                           "setimagecolor(0, 255, 255, 255, 255, n) "
                                           "setimagepos(0, 300, 390, n) setimagescale(0, 400, 20, n) "
                                           "setimagerot(0, 45, n)");
    EXPECT_PIXEL(img, 600, 300, 255, 255, 255);
    EXPECT_PIXEL(img, 400, 500, 255, 255, 255);
    EXPECT_PIXEL(img, 600, 500, 0, 0, 0);
}

// Key times in a script are demo times: each key function stores its time less the layer's
// start, and the layer is drawn at the demo time less its start, so a key given at 6 s acts
// at 6 s whenever the layer starts. Here every key function on a layer that starts at 5 s.
TEST_F(PixelFixture, EveryKeyFunctionActsAtItsOwnDemoTimeOnALayerStartingLater) {
    struct Sample {
        float t;
        int x, y;
        test::Rgb colour;
    };
    struct Case {
        const char* name;
        std::string keys; // on layer n, which starts at 5
        std::vector<Sample> samples;
    };
    const test::Rgb white{255, 255, 255}, black{0, 0, 0};
    const std::string whiteKey = "setimagecolor(5, 255, 255, 255, 255, n) ";
    const std::vector<Case> cases = {
        {"position: from (0, 0) at 5 s to (400, 0) at 6 s, easing",
         whiteKey + "setimagescale(5, 100, 100, n) setimagepos(5, 0, 0, n) setimagepos(6, 400, 0, n)",
         {{4.9f, 50, 50, black},
          {5.0f, 50, 50, white},  {5.0f, 250, 50, black},
          {5.5f, 50, 50, black},  {5.5f, 250, 50, white},
          {6.0f, 250, 50, black}, {6.0f, 450, 50, white},
          {9.0f, 450, 50, white}, {9.0f, 50, 50, black}}},
        {"position keys at 0 and 1 s, before the layer starts: the last key throughout",
         whiteKey + "setimagescale(5, 100, 100, n) setimagepos(0, 0, 0, n) setimagepos(1, 400, 0, n)",
         {{5.0f, 450, 50, white}, {5.0f, 50, 50, black}, {5.5f, 450, 50, white}, {6.5f, 450, 50, white}}},
        {"size: from 100 wide at 5 s to 300 wide at 6 s, easing",
         whiteKey + "setimagepos(5, 0, 0, n) setimagescale(5, 100, 100, n) setimagescale(6, 300, 100, n)",
         {{5.0f, 50, 50, white},  {5.0f, 150, 50, black},
          {5.5f, 150, 50, white}, {5.5f, 250, 50, black},
          {6.0f, 250, 50, white}, {8.0f, 250, 50, white}}},
        {"rotation: a bar about (512, 384) from 0 at 5 s to 90 degrees at 6 s, linearly",
         whiteKey + "setimagepos(5, 312, 374, n) setimagescale(5, 400, 20, n) setimagerot(5, 0, n) setimagerot(6, 90, n)",
         {{5.0f, 650, 384, white}, {5.0f, 512, 250, black},
          {5.5f, 612, 284, white}, {5.5f, 612, 484, black}, {5.5f, 650, 384, black},
          {6.0f, 512, 250, white}, {6.0f, 650, 384, black},
          {7.0f, 512, 250, white}}},
        {"colour: from black at 5 s to (200, 100, 50) at 6 s, linearly",
         "setimagecolor(5, 0, 0, 0, 255, n) setimagecolor(6, 200, 100, 50, 255, n)",
         {{5.0f, 512, 384, black},
          {5.5f, 512, 384, {100, 50, 25}},
          {6.0f, 512, 384, {200, 100, 50}},
          {7.5f, 512, 384, {200, 100, 50}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScriptedShow shown{gl.device()};
        ASSERT_EQ(shown.run(std::string(kPlain) + "n = layer(2, 'plain', 0, 2, 1) start(5, n) stop(20, n) " + c.keys), ScriptRun::Finished);
        for (const Sample& at : c.samples) {
            shown.drawFrame(at.t);
            const RgbImage img = gl.device().readRenderTarget();
            SCOPED_TRACE("at " + std::to_string(at.t) + " s");
            EXPECT_PIXEL_NEAR(img, at.x, at.y, 2, at.colour.r, at.colour.g, at.colour.b);
        }
    }
}

std::uint32_t quadrants(int x, int y) {
    if (y < 32) return x < 32 ? 0xFFFF0000 : 0xFF00FF00;
    return x < 32 ? 0xFF0000FF : 0xFFFFFF00;
}

TEST_F(PixelFixture, FileImageAtItsOwnSizeWithExactTexels) {
    test::writeTestPng(dir.path() / "quad.png", 64, 64, quadrants);
    auto img = frame("loadimage('quad.png', 'q') n = layer(2, 'q', 0, 2, 1) start(0, n) stop(1, n)");
    EXPECT_PIXEL(img, 0, 0, 255, 0, 0);
    EXPECT_PIXEL(img, 31, 31, 255, 0, 0);
    EXPECT_PIXEL(img, 32, 0, 0, 255, 0);
    EXPECT_PIXEL(img, 63, 31, 0, 255, 0);
    EXPECT_PIXEL(img, 0, 32, 0, 0, 255);
    EXPECT_PIXEL(img, 63, 63, 255, 255, 0);
    EXPECT_PIXEL(img, 64, 10, 0, 0, 0);
    EXPECT_PIXEL(img, 10, 64, 0, 0, 0);
}

TEST_F(PixelFixture, FileFoundOnlyUnderDataLoads) {
    test::writeTestPng(dir.path() / "data" / "only.png", 64, 64, quadrants);
    auto img = frame("loadimage('only.png', 'q') n = layer(2, 'q', 0, 2, 1) start(0, n) stop(1, n) "
                     "setimagescale(0, 1024, 768, n)");
    EXPECT_PIXEL(img, 100, 100, 255, 0, 0);
    EXPECT_PIXEL(img, 900, 700, 255, 255, 0);
    EXPECT_EQ(s.show.textures.name(0), "only.png");
}

TEST_F(PixelFixture, HalfTransparentRedOverBlue) {
    auto img = frame("createtexture(0, 0, 'a') createtexture(0, 0, 'b') "
                     "n = layer(2, 'a', 0, 2, 1) start(0, n) stop(1, n) setimagecolor(0, 0, 0, 255, 255, n) "
                     "m = layer(2, 'b', 1, 5, 6) start(0, m) stop(1, m) setimagecolor(0, 255, 0, 0, 128, m)");
    EXPECT_PIXEL(img, 300, 300, 128, 0, 127);
}

TEST_F(PixelFixture, LowerOrderDrawsFirst) {
    auto img = frame("createtexture(0, 0, 'a') createtexture(0, 0, 'b') "
                     "n = layer(2, 'a', 3, 2, 1) start(0, n) stop(1, n) setimagecolor(0, 0, 255, 0, 255, n) "
                     "m = layer(2, 'b', 1, 2, 1) start(0, m) stop(1, m) setimagecolor(0, 255, 0, 0, 255, m)");
    EXPECT_PIXEL(img, 300, 300, 0, 255, 0);
}

TEST_F(PixelFixture, CaptureOfACanvasFillsTheTarget) {
    // A 1024 by 768 image drawn into a 256 by 256 capture fills it; the capture is then shown
    // at its own size at the top-left of the screen.
    auto img = frame("createtexture(256, 256, 'rt') createtexture(0, 0, 'a') "
                     "c = capture('rt', 0, 10) "
                     "n = layer(2, 'a', 20, 2, 1) start(0, n) stop(1, n) setimagecolor(0, 255, 128, 0, 255, n) "
                     "s = layer(2, 'rt', 0, 2, 1) start(0, s) stop(1, s)");
    EXPECT_PIXEL(img, 2, 2, 255, 128, 0);
    EXPECT_PIXEL(img, 253, 253, 255, 128, 0);
    EXPECT_PIXEL(img, 260, 100, 0, 0, 0);
}

} // namespace
} // namespace zamp
