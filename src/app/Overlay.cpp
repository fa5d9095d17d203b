#include "app/Overlay.h"

#include "gfx/D3DXMath.h"
#include "gfx/Device.h"
#include "platform/Authoring.h"
#include "platform/Platform.h"
#include "show/Image.h"

#include <algorithm>
#include <array>

namespace zamp {

namespace {

constexpr int kTextHeight = 14;
constexpr int kPadding = 6;
constexpr std::uint32_t kBox = 0xD0200000; // dark red, mostly opaque

// White letters over the box, blended by their coverage.
ArgbImage onBox(const ArgbImage& letters) {
    ArgbImage out;
    out.width = letters.width + 2 * kPadding;
    out.height = letters.height + 2 * kPadding;
    out.pixels.assign(std::size_t(out.width) * std::size_t(out.height), kBox);
    for (int y = 0; y < letters.height; ++y) {
        for (int x = 0; x < letters.width; ++x) {
            const std::uint32_t a = letters.pixels[std::size_t(y) * std::size_t(letters.width) + std::size_t(x)] >> 24;
            std::uint32_t& p = out.pixels[std::size_t(y + kPadding) * std::size_t(out.width) + std::size_t(x + kPadding)];
            auto mix = [a](std::uint32_t under, int shift) {
                const std::uint32_t c = (under >> shift) & 0xFF;
                return ((c * (255 - a) + 255 * a) / 255) << shift;
            };
            p = (p & 0xFF000000) | mix(p, 16) | mix(p, 8) | mix(p, 0);
        }
    }
    return out;
}

// The states drawing changes, with what the show left in them.
constexpr std::array<D3DRENDERSTATETYPE, 10> kStates = {
    D3DRS_LIGHTING,  D3DRS_AMBIENT,         D3DRS_FOGENABLE, D3DRS_ALPHABLENDENABLE, D3DRS_SRCBLEND,
    D3DRS_DESTBLEND, D3DRS_ALPHATESTENABLE, D3DRS_ZENABLE,   D3DRS_CULLMODE,         D3DRS_ZWRITEENABLE};
constexpr std::array<D3DTEXTURESTAGESTATETYPE, 5> kStageStates = {D3DTSS_COLOROP, D3DTSS_COLORARG1, D3DTSS_COLORARG2,
                                                                   D3DTSS_ALPHAOP, D3DTSS_ALPHAARG1};
constexpr std::array<DWORD, 3> kTransforms = {D3DTS_WORLD, D3DTS_VIEW, D3DTS_PROJECTION};

} // namespace

void Overlay::setText(Device& device, const std::string& text, int backBufferWidth) {
    if (text == text_) return;
    text_ = text;
    picture_.reset();
    if (text.empty()) return;
    std::optional<ArgbImage> letters = renderText(text, kTextHeight, std::max(64, backBufferWidth - 2 * kPadding - 8));
    if (!letters) return; // no font: the text is on standard error only
    const ArgbImage boxed = onBox(*letters);
    picture_ = device.createTexture(boxed.width, boxed.height, 0, D3DFMT_A8R8G8B8);
    if (picture_) picture_->upload(boxed.pixels.data());
    if (!quad_) quad_ = makeImageQuad();
}

void Overlay::draw(Device& d, int width, int height) {
    if (!picture_) return;
    std::array<DWORD, kStates.size()> states;
    std::array<DWORD, kStageStates.size()> stageStates;
    std::array<Matrix, kTransforms.size()> transforms;
    for (std::size_t i = 0; i < kStates.size(); ++i) states[i] = d.renderState(kStates[i]);
    for (std::size_t i = 0; i < kStageStates.size(); ++i) stageStates[i] = d.textureStageState(0, kStageStates[i]);
    for (std::size_t i = 0; i < kTransforms.size(); ++i) transforms[i] = d.transform(kTransforms[i]);

    // Pixels of the back buffer, y up, as image layers place their quads.
    d.setTransform(D3DTS_PROJECTION, matrixOrthoOffCenterLH(0, float(width), 0, float(height), 0, 1));
    d.setTransform(D3DTS_VIEW, Matrix::identity());
    const float w = float(picture_->width()), h = float(picture_->height());
    d.setTransform(D3DTS_WORLD, matrixMultiply(matrixScaling(w, h, 0), matrixTranslation(4, float(height) - 4, 0)));
    Material white{};
    white.diffuse = white.ambient = {1, 1, 1, 1};
    d.setMaterial(white);
    d.setRenderState(D3DRS_LIGHTING, 1);
    d.setRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
    d.setRenderState(D3DRS_FOGENABLE, 0);
    d.setRenderState(D3DRS_ALPHATESTENABLE, 0);
    d.setRenderState(D3DRS_ZENABLE, 0);
    d.setRenderState(D3DRS_ZWRITEENABLE, 0);
    d.setRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d.setRenderState(D3DRS_ALPHABLENDENABLE, 1);
    d.setRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d.setRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    d.setTexture(0, picture_.get());
    d.setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d.setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d.setTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    d.setTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    d.setTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    if (d.beginScene()) {
        d.drawSubset(*quad_, 0);
        d.endScene();
    }
    d.setTexture(0, nullptr);
    for (std::size_t i = 0; i < kStates.size(); ++i) d.setRenderState(kStates[i], states[i]);
    for (std::size_t i = 0; i < kStageStates.size(); ++i) d.setTextureStageState(0, kStageStates[i], stageStates[i]);
    for (std::size_t i = 0; i < kTransforms.size(); ++i) d.setTransform(kTransforms[i], transforms[i]);
}

} // namespace zamp
