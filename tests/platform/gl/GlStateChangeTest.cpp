// Every piece of GL state the device caches, changed alone: the change costs exactly one GL
// call and shows in the picture, and drawing again with nothing changed costs nothing but
// the draw itself. Checked through the Device interface, its call counters and its pixels.
#include "DeviceFixture.h"

#include <functional>

namespace zamp {
namespace {

using test::DeviceOnTarget;
using test::Rgb;

constexpr Rgb kBlue{0, 0, 255}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kMagenta{255, 0, 255}, kBlack{0, 0, 0};

// One device on its own target with what the rows switch between: two textures, and the
// red quad's mesh in two places.
struct Stage : DeviceOnTarget {
    std::unique_ptr<Texture> white = texture(0xFFFFFFFF), cyan = texture(0xFF00FFFF);
    const Mesh* red = nullptr;
    const Mesh* green = nullptr;
    const Mesh* redElsewhere = nullptr;
    bool counterClockwise;

    explicit Stage(bool counterClockwise) : counterClockwise(counterClockwise) {
        // Both quads cover the probe at (16, 32); the green one lies behind the red one.
        red = &rect(0, 0, 32, 64, 5, {0, 0, -1}, counterClockwise);
        green = &rect(0, 0, 32, 64, 7, {0, 0, -1}, counterClockwise);
        redElsewhere = &rect(32, 0, 64, 64, 5, {0, 0, -1}, counterClockwise);
    }
    std::unique_ptr<Texture> texture(std::uint32_t argb) {
        auto t = d.createTexture(1, 1, 0, D3DFMT_A8R8G8B8);
        t->upload(&argb);
        return t;
    }
    // Clears to blue with depth `clearDepth`, draws the red quad and the green one behind
    // it with the state as it stands, and returns the pixel both cover.
    Rgb picture(float clearDepth) {
        d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, clearDepth, 0);
        material({}, {}, {1, 0, 0, 1});
        d.drawSubset(*red, 0);
        material({}, {}, {0, 1, 0, 1});
        d.drawSubset(*green, 0);
        return probe(16, 32);
    }
};

struct CachedState {
    const char* name;
    std::function<void(Stage&)> base, changed;
    Rgb basePicture, changedPicture;
    float clearDepth = 1;
    bool counterClockwise = false;
};

void blendOn(Stage& s, DWORD src, DWORD dst) {
    s.d.setRenderState(D3DRS_ALPHABLENDENABLE, 1);
    s.d.setRenderState(D3DRS_SRCBLEND, src);
    s.d.setRenderState(D3DRS_DESTBLEND, dst);
}

void state(Stage& s, D3DRENDERSTATETYPE which, DWORD value) { s.d.setRenderState(which, value); }

const std::vector<CachedState>& cachedStates() {
    static const std::vector<CachedState> rows = {
        {"depth test", [](Stage& s) { state(s, D3DRS_ZENABLE, 1); }, [](Stage& s) { state(s, D3DRS_ZENABLE, 0); },
         kBlue, kGreen, 0.3f},
        {"depth function", [](Stage& s) { state(s, D3DRS_ZFUNC, D3DCMP_LESSEQUAL); },
         [](Stage& s) { state(s, D3DRS_ZFUNC, D3DCMP_GREATER); }, kRed, kBlue},
        {"depth writes", [](Stage& s) { state(s, D3DRS_ZWRITEENABLE, 1); },
         [](Stage& s) { state(s, D3DRS_ZWRITEENABLE, 0); }, kRed, kGreen},
        {"blending", [](Stage& s) { blendOn(s, D3DBLEND_ONE, D3DBLEND_ONE), state(s, D3DRS_ALPHABLENDENABLE, 0); },
         [](Stage& s) { blendOn(s, D3DBLEND_ONE, D3DBLEND_ONE); }, kRed, kMagenta},
        {"blend source", [](Stage& s) { blendOn(s, D3DBLEND_ONE, D3DBLEND_ONE); },
         [](Stage& s) { blendOn(s, D3DBLEND_ZERO, D3DBLEND_ONE); }, kMagenta, kBlue},
        {"blend destination", [](Stage& s) { blendOn(s, D3DBLEND_ONE, D3DBLEND_ZERO); },
         [](Stage& s) { blendOn(s, D3DBLEND_ONE, D3DBLEND_ONE); }, kRed, kMagenta},
        {"culled face", [](Stage& s) { state(s, D3DRS_CULLMODE, D3DCULL_CCW); },
         [](Stage& s) { state(s, D3DRS_CULLMODE, D3DCULL_CW); }, kRed, kBlue},
        {"culling", [](Stage& s) { state(s, D3DRS_CULLMODE, D3DCULL_NONE); },
         [](Stage& s) { state(s, D3DRS_CULLMODE, D3DCULL_CCW); }, kRed, kBlue, 1, true},
        {"texture", [](Stage& s) { s.d.setTexture(0, s.white.get()); },
         [](Stage& s) { s.d.setTexture(0, s.cyan.get()); }, kRed, kBlack},
        {"mesh", [](Stage& s) { s.red = s.meshes[0].get(); }, [](Stage& s) { s.red = s.redElsewhere; }, kRed,
         kGreen},
    };
    return rows;
}

TEST(GlStateChanges, OneChangedStateCostsOneCallAndAnUnchangedDrawOnlyTheDraw) {
    for (const CachedState& row : cachedStates()) {
        SCOPED_TRACE(row.name);
        Stage s(row.counterClockwise);
        // Every value has been set once before anything is counted.
        row.base(s), s.drawCost(*s.red), row.changed(s), s.drawCost(*s.red), row.base(s), s.drawCost(*s.red);

        const std::uint64_t unchanged = s.drawCost(*s.red);
        EXPECT_EQ(unchanged, 1u) << "an unchanged draw issues the draw call alone";
        row.changed(s);
        EXPECT_EQ(s.drawCost(*s.red), unchanged + 1) << "to the changed value";
        EXPECT_EQ(s.drawCost(*s.red), unchanged) << "the changed value again";
        row.base(s);
        EXPECT_EQ(s.drawCost(*s.red), unchanged + 1) << "back to the first value";
    }
}

TEST(GlStateChanges, EveryCachedStateShowsInThePicture) {
    for (const CachedState& row : cachedStates()) {
        SCOPED_TRACE(row.name);
        Stage s(row.counterClockwise);
        row.base(s);
        EXPECT_RGB(s.picture(row.clearDepth), row.basePicture.r, row.basePicture.g, row.basePicture.b);
        row.changed(s);
        EXPECT_RGB(s.picture(row.clearDepth), row.changedPicture.r, row.changedPicture.g, row.changedPicture.b);
        row.base(s);
        EXPECT_RGB(s.picture(row.clearDepth), row.basePicture.r, row.basePicture.g, row.basePicture.b);
    }
}

// A clear opens depth writes behind the render states' back: the draws after it mask them
// again as ZWRITEENABLE says, though no state changed.
TEST(GlStateChanges, DrawsAfterAClearWriteDepthAsTheStateSays) {
    Stage s(false);
    s.d.setRenderState(D3DRS_ZWRITEENABLE, 0);
    EXPECT_RGB(s.picture(1), 0, 255, 0) << "the red quad in front wrote no depth";
    EXPECT_RGB(s.picture(1), 0, 255, 0) << "after another clear, nothing changed";
    s.d.setRenderState(D3DRS_ZWRITEENABLE, 1);
    EXPECT_RGB(s.picture(1), 255, 0, 0);
}

// The viewport follows the target: a target of another width or height, selected after the
// square back buffer, is drawn on in its own pixels.
TEST(GlStateChanges, EachTargetSizeGetsItsOwnViewport) {
    struct Size {
        int width, height;
    };
    for (Size size : {Size{64, 32}, Size{32, 64}, Size{16, 16}, Size{64, 64}}) {
        SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height));
        DeviceOnTarget t;
        auto target = t.d.createTexture(size.width, size.height, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8);
        ASSERT_TRUE(target);
        t.material({}, {}, {1, 1, 1, 1});
        t.d.drawSubset(t.rect(0, 0, 64, 64), 0); // the back buffer's viewport is set

        ASSERT_TRUE(t.d.setRenderTarget(0, target->renderSurface()));
        const std::uint64_t before = t.d.counters().backendCalls;
        ASSERT_TRUE(t.d.setRenderTarget(0, target->renderSurface()));
        EXPECT_EQ(t.d.counters().backendCalls, before) << "selecting the current target again costs nothing";
        t.d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1, 0);
        // In the target's own pixels: its top-left quarter.
        t.d.setTransform(D3DTS_PROJECTION,
                         matrixOrthoOffCenterLH(0, float(size.width), float(size.height), 0, 0, 10));
        t.d.drawSubset(t.rect(0, 0, size.width / 2.0f, size.height / 2.0f), 0);
        const RgbImage image = t.d.readRenderTarget();
        ASSERT_EQ(image.width, size.width);
        ASSERT_EQ(image.height, size.height);
        const int w = size.width, h = size.height;
        EXPECT_PIXEL_NEAR(image, w / 4, h / 4, 2, 255, 255, 255);
        EXPECT_PIXEL_NEAR(image, w / 2 - 1, h / 2 - 1, 2, 255, 255, 255);
        EXPECT_PIXEL_NEAR(image, w / 2 + 1, h / 4, 2, 0, 0, 0);
        EXPECT_PIXEL_NEAR(image, w / 4, h / 2 + 1, 2, 0, 0, 0);
        EXPECT_PIXEL_NEAR(image, w - 1, h - 1, 2, 0, 0, 0);
    }
}

} // namespace
} // namespace zamp
