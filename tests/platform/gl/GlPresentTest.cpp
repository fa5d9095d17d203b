// What the window shows after `present`: the back buffer the right way up, at the window's
// drawable size, and the same picture at every later present. The window here is the
// offscreen context's default framebuffer, read back in the swap, or a real window on SDL's
// offscreen driver read back after it.
#include "DeviceFixture.h"

#include "platform/Platform.h"
#include "platform/Window.h"

#include <epoxy/gl.h>

#include <cstdlib>
#include <map>

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


// The window's default framebuffer as the last present left it (RGBA, bottom row first).
// Every binding the read touches is put back, so the device finds GL as it left it.
std::vector<std::uint8_t> windowPixels(int width, int height) {
    GLint readFramebuffer = 0, packBuffer = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
    glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &packBuffer);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    std::vector<std::uint8_t> rgba(std::size_t(width) * height * 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glBindBuffer(GL_PIXEL_PACK_BUFFER, GLuint(packBuffer));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(readFramebuffer));
    return rgba;
}

// Two pictures that differ everywhere and set different states: an opaque quad on green, and
// a half-transparent one blended over blue with the depth test off.
void drawPicture(Device& d, char picture, std::vector<std::unique_ptr<Mesh>>& meshes, int size) {
    auto rect = [&](float x0, float y0, float x1, float y1) -> const Mesh& {
        auto m = Mesh::create(2, 4, D3DXMESH_SYSTEMMEM);
        const Vec3 n{0, 0, -1};
        const MeshVertex corners[] = {{{x0, y0, 1}, n}, {{x1, y0, 1}, n}, {{x1, y1, 1}, n}, {{x0, y1, 1}, n}};
        std::copy(std::begin(corners), std::end(corners), m->vertices().begin());
        const std::uint16_t indices[] = {0, 1, 2, 0, 2, 3};
        std::copy(std::begin(indices), std::end(indices), m->indices16().begin());
        m->changed();
        meshes.push_back(std::move(m));
        return *meshes.back();
    };
    d.setTransform(D3DTS_PROJECTION, matrixOrthoOffCenterLH(0, float(size), float(size), 0, 0, 10));
    Material m{};
    if (picture == 'A') {
        d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF00FF00, 1, 0);
        d.setRenderState(D3DRS_ALPHABLENDENABLE, 0);
        d.setRenderState(D3DRS_ZENABLE, 1);
        m.emissive = {1, 0, 0, 1};
        d.setMaterial(m);
        d.drawSubset(rect(0, 0, float(size), float(size) / 2), 0); // red over the top half
    } else {
        d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1, 0);
        d.setRenderState(D3DRS_ZENABLE, 0);
        d.setRenderState(D3DRS_ALPHABLENDENABLE, 1);
        d.setRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        d.setRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        m.emissive = {1, 1, 1, 1};
        m.diffuse = {0, 0, 0, 0.5f};
        d.setMaterial(m);
        d.drawSubset(rect(0, 0, float(size) / 4, float(size)), 0); // half-white over the left quarter
    }
}

TEST(GlPresent, EveryLaterPresentShowsWhatTheFirstPresentOfThatPictureShowed) {
    // A window for a display, on SDL's offscreen driver: present blits into the window's own
    // framebuffer and swaps, changing GL state behind the device's cache.
    ::setenv("SDL_VIDEODRIVER", "offscreen", 0);
    constexpr int kSize = 64;
    WindowOptions options;
    options.title = "test";
    options.offscreen = false;
    options.windowed = true;
    options.width = options.height = kSize;
    const std::unique_ptr<Window> window = openWindow(options);
    Device& d = window->device();
    std::vector<std::unique_ptr<Mesh>> meshes;

    std::map<char, std::vector<std::uint8_t>> firstShown;
    std::map<char, RgbImage> firstDrawn;
    const std::string pictures = "AAABABBAAB";
    for (std::size_t frame = 0; frame < pictures.size(); ++frame) {
        const char picture = pictures[frame];
        SCOPED_TRACE(std::string("frame ") + std::to_string(frame + 1) + ", picture " + picture);
        drawPicture(d, picture, meshes, kSize);
        const RgbImage drawn = d.readRenderTarget();
        d.present();
        const std::vector<std::uint8_t> shown = windowPixels(kSize, kSize);
        if (!firstShown.count(picture)) {
            // The first present of each picture is the reference: check it is that picture.
            const std::uint8_t* topLeft = &shown[(std::size_t(kSize - 2) * kSize + 1) * 4];    // GL row from the bottom
            const std::uint8_t* bottomRight = &shown[(std::size_t(1) * kSize + kSize - 2) * 4];
            if (picture == 'A') {
                EXPECT_EQ(topLeft[0], 255) << "red at the top";
                EXPECT_EQ(bottomRight[1], 255) << "green below";
            } else {
                EXPECT_NEAR(topLeft[0], 128, 2) << "half white over blue at the left";
                EXPECT_NEAR(topLeft[2], 255, 2);
                EXPECT_EQ(bottomRight[0], 0) << "blue at the right";
                EXPECT_EQ(bottomRight[2], 255);
            }
            firstShown[picture] = shown;
            firstDrawn[picture] = drawn;
            continue;
        }
        EXPECT_TRUE(drawn.pixels == firstDrawn[picture].pixels) << "the back buffer differs from its first drawing";
        const auto& first = firstShown[picture];
        std::size_t differing = 0;
        for (std::size_t i = 0; i < shown.size(); ++i) differing += shown[i] != first[i];
        EXPECT_EQ(differing, 0u) << "bytes of the window that differ from the picture's first present";
    }
}

} // namespace
} // namespace zamp
