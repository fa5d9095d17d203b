// What the window shows after `present`: the back buffer the right way up, at the window's
// drawable size. The window here is the offscreen context's default framebuffer, read back
// in the swap.
#include "DeviceFixture.h"

#include <epoxy/gl.h>

namespace zamp {
namespace {

// The default framebuffer's pixels as the swap found them, bottom row first as GL reads.
struct ShownPicture {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;
    test::Rgb at(int x, int glRow) const {
        const std::uint8_t* p = &rgb[(std::size_t(glRow) * width + x) * 3];
        return {p[0], p[1], p[2]};
    }
};

TEST(GlPresent, TheWindowShowsTheTopRowAtTheTop) {
    struct Drawable {
        int width, height;
    };
    constexpr int kWindow = 64;
    // The same size as the back buffer (copied) and a smaller drawable (scaled).
    for (Drawable drawable : {Drawable{kWindow, kWindow}, Drawable{32, 16}}) {
        SCOPED_TRACE(std::to_string(drawable.width) + "x" + std::to_string(drawable.height));
        test::OffscreenGl window(kWindow, kWindow); // the context and its default framebuffer
        ShownPicture shown;
        int swaps = 0;
        GlDevice::PresentTarget target;
        target.drawableSize = [&](int& w, int& h) { w = drawable.width, h = drawable.height; };
        target.swap = [&] {
            ++swaps;
            shown.width = shown.height = kWindow;
            shown.rgb.assign(std::size_t(kWindow) * kWindow * 3, 0);
            glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glReadPixels(0, 0, kWindow, kWindow, GL_RGB, GL_UNSIGNED_BYTE, shown.rgb.data());
        };
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);

        GlDevice device(kWindow, kWindow, target);
        device.setTransform(D3DTS_PROJECTION, matrixOrthoOffCenterLH(0, kWindow, kWindow, 0, 0, 10));
        device.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF00FF00, 1, 0); // green below
        auto top = Mesh::create(2, 4, D3DXMESH_SYSTEMMEM);
        const Vec3 n{0, 0, -1};
        const MeshVertex corners[] = {{{0, 0, 1}, n}, {{kWindow, 0, 1}, n}, {{kWindow, kWindow / 2, 1}, n},
                                      {{0, kWindow / 2, 1}, n}};
        std::copy(std::begin(corners), std::end(corners), top->vertices().begin());
        const std::uint16_t indices[] = {0, 1, 2, 0, 2, 3};
        std::copy(std::begin(indices), std::end(indices), top->indices16().begin());
        Material red{};
        red.emissive = {1, 0, 0, 1};
        device.setMaterial(red);
        device.drawSubset(*top, 0); // red in the top half
        ASSERT_EQ(test::pixelAt(device.readRenderTarget(), 8, 4).r, 255);

        device.present();
        ASSERT_EQ(swaps, 1);
        // GL counts rows from the bottom: the drawable's top row is its height - 1.
        const int topRow = drawable.height - 1;
        EXPECT_RGB(shown.at(1, topRow), 255, 0, 0);
        EXPECT_RGB(shown.at(drawable.width - 2, topRow - 1), 255, 0, 0);
        EXPECT_RGB(shown.at(1, 0), 0, 255, 0);
        EXPECT_RGB(shown.at(drawable.width - 2, 1), 0, 255, 0);
        if (drawable.width < kWindow) {
            EXPECT_RGB(shown.at(drawable.width + 1, 1), 0, 0, 0) << "nothing drawn beside the drawable";
            EXPECT_RGB(shown.at(1, drawable.height + 1), 0, 0, 0) << "nothing drawn above the drawable";
        }
    }
}

} // namespace
} // namespace zamp
