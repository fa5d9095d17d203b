// Clears that would change no pixel cost no GL call, and a clear that would change one is
// never left out: after a draw, after an upload into a target, with another value. Targets
// are bound by the first clear or draw that changes them. Checked through the call counters
// and the pixels.
#include "DeviceFixture.h"

namespace zamp {
namespace {

using test::DeviceFixture;
using test::pixelAt;

constexpr D3DCOLOR kRed = 0xFFFF0000;

struct Clears : DeviceFixture {
    // GL calls of one clear.
    std::uint64_t clearCost(DWORD flags, D3DCOLOR color, float z) {
        const std::uint64_t before = d.counters().backendCalls;
        d.clear(flags, color, z, 0);
        return d.counters().backendCalls - before;
    }
    // Draws an emissive rectangle over the probe at (16, 32) at depth z (0..10).
    void drawAt(float z, Vec4 colour) {
        material({}, {}, colour);
        d.drawSubset(rect(0, 0, 32, 64, z), 0);
    }
};

TEST_F(Clears, AColourClearIsLeftOutOnlyWhileNothingHasDrawnSince) {
    EXPECT_EQ(clearCost(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1), 0u) << "as the fixture cleared";
    EXPECT_GT(clearCost(D3DCLEAR_TARGET, kRed, 1), 0u) << "another colour";
    EXPECT_EQ(clearCost(D3DCLEAR_TARGET, kRed, 1), 0u);
    EXPECT_RGB(probe(16, 32), 255, 0, 0);

    // Any draw counts, also one that writes no depth.
    d.setRenderState(D3DRS_ZENABLE, 0);
    drawAt(5, {0, 1, 0, 1});
    EXPECT_RGB(probe(16, 32), 0, 255, 0);
    EXPECT_GT(clearCost(D3DCLEAR_TARGET, kRed, 1), 0u);
    EXPECT_RGB(probe(16, 32), 255, 0, 0);
    // A second frame of the same: the draw again, the clear again.
    drawAt(5, {0, 1, 0, 1});
    d.clear(D3DCLEAR_TARGET, kRed, 1, 0);
    EXPECT_RGB(probe(16, 32), 255, 0, 0);
}

TEST_F(Clears, ADepthClearIsLeftOutOnlyWhileNoDrawHasWrittenDepth) {
    // A draw that writes depth at 0.5: the next depth clear must happen, or the far quad
    // drawn after it stays hidden.
    drawAt(5, {0, 1, 0, 1});
    EXPECT_GT(clearCost(D3DCLEAR_ZBUFFER, 0, 1), 0u);
    drawAt(7, {0, 0, 1, 1});
    EXPECT_RGB(probe(16, 32), 0, 0, 255);

    // GL writes no depth with the depth test off or depth writes masked: those draws leave
    // the cleared depth as it was, and the clear after them changes nothing.
    for (auto [zEnable, zWrite] : {std::pair{0u, 1u}, std::pair{1u, 0u}}) {
        SCOPED_TRACE(testing::Message() << "ZENABLE " << zEnable << ", ZWRITEENABLE " << zWrite);
        d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1, 0);
        d.setRenderState(D3DRS_ZENABLE, zEnable);
        d.setRenderState(D3DRS_ZWRITEENABLE, zWrite);
        drawAt(5, {0, 1, 0, 1});
        EXPECT_EQ(clearCost(D3DCLEAR_ZBUFFER, 0, 1), 0u);
        d.setRenderState(D3DRS_ZENABLE, 1);
        d.setRenderState(D3DRS_ZWRITEENABLE, 1);
        drawAt(7, {0, 0, 1, 1});
        EXPECT_RGB(probe(16, 32), 0, 0, 255) << "the depth buffer still holds 1 everywhere";
    }

    // Another depth value is cleared: the quad at 0.7 then lies behind it.
    d.clear(D3DCLEAR_TARGET, 0xFF000000, 1, 0);
    EXPECT_GT(clearCost(D3DCLEAR_ZBUFFER, 0, 0.5f), 0u);
    drawAt(7, {0, 0, 1, 1});
    EXPECT_RGB(probe(16, 32), 0, 0, 0);
}

TEST_F(Clears, ATargetIsBoundByWhatChangesItAndItsUploadsAreClearedAway) {
    auto texture = d.createTexture(16, 8, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8);
    ASSERT_TRUE(texture);
    Surface* back = d.renderTarget(0);
    ASSERT_TRUE(d.setRenderTarget(0, texture->renderSurface()));
    d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kRed, 1, 0);

    // Back on the back buffer, drawn on; then the target again, where the same clear leaves
    // everything as it is and a draw still lands in the target's own pixels.
    const std::uint64_t before = d.counters().backendCalls;
    ASSERT_TRUE(d.setRenderTarget(0, back));
    EXPECT_EQ(d.counters().backendCalls, before) << "selecting a target binds nothing yet";
    drawAt(5, {0, 1, 0, 1});
    ASSERT_TRUE(d.setRenderTarget(0, texture->renderSurface()));
    EXPECT_EQ(clearCost(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kRed, 1), 0u);
    RgbImage image = d.readRenderTarget();
    ASSERT_EQ(image.width, 16);
    EXPECT_PIXEL_NEAR(image, 8, 4, 2, 255, 0, 0);
    d.setTransform(D3DTS_PROJECTION, matrixOrthoOffCenterLH(0, 16, 8, 0, 0, 10));
    material({}, {}, {0, 0, 1, 1});
    d.drawSubset(rect(0, 0, 8, 8, 5), 0); // the target's left half
    image = d.readRenderTarget();
    EXPECT_PIXEL_NEAR(image, 7, 7, 2, 0, 0, 255);
    EXPECT_PIXEL_NEAR(image, 8, 0, 2, 255, 0, 0);

    // An upload replaces the target's pixels: the clear after it happens.
    d.clear(D3DCLEAR_TARGET, kRed, 1, 0);
    std::vector<std::uint32_t> white(16 * 8, 0xFFFFFFFF);
    texture->upload(white.data());
    EXPECT_GT(clearCost(D3DCLEAR_TARGET, kRed, 1), 0u);
    EXPECT_PIXEL_NEAR(d.readRenderTarget(), 3, 3, 2, 255, 0, 0);

    ASSERT_TRUE(d.setRenderTarget(0, back));
    EXPECT_PIXEL_NEAR(d.readRenderTarget(), 16, 32, 2, 0, 255, 0); // the back buffer kept its draw
}

} // namespace
} // namespace zamp
