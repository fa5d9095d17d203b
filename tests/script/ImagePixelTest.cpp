// Image layers drawn by the real OpenGL device, probed away from edges.
#include "support/ScriptedShow.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

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
