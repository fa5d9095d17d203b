#include "show/ImageLayer.h"

#include "show/Image.h"
#include "show/TextureRegistry.h"
#include "gfx/D3DXMath.h"
#include "gfx/Device.h"
#include "show/RenderContext.h"

namespace zamp {

Matrix ImageLayer::worldMatrix(float lt) const {
    const Image& image = images_[imageIndex];
    float angle = rotation.hasKeys() ? rotation.evaluate(lt) * kDegreesToRadians : 0.0f;
    Matrix r = matrixRotationYawPitchRoll(0, 0, angle);
    Vec2 size;
    if (scale.hasKeys())
        size = scale.evaluate(lt);
    else if (!image.texture)
        size = {kCanvasWidth, kCanvasHeight};
    else
        size = {float(image.texture->width), float(image.texture->height)};
    Vec2 place = position.hasKeys() ? position.evaluate(lt) : Vec2{0, 0};
    Matrix s = matrixScaling(size.x, size.y, 0);
    Matrix t0 = matrixTranslation(-0.5f * size.x, 0.5f * size.y, 0);
    // Canvas y points up on the device; the script's y points down.
    Matrix t1 = matrixTranslation(place.x + 0.5f * size.x, kCanvasHeight - place.y - 0.5f * size.y, 0);
    return matrixMultiply(matrixMultiply(matrixMultiply(s, t0), r), t1);
}

void ImageLayer::render(float lt, RenderContext& context) {
    Image& image = images_[imageIndex];
    Device& d = context.device;
    d.setTransform(D3DTS_PROJECTION, matrixOrthoOffCenterLH(0, kCanvasWidth, 0, kCanvasHeight, 0, 1));
    d.setTransform(D3DTS_VIEW, Matrix::identity());
    const TextureRecord* rec = image.texture;
    const bool untextured = rec == nullptr;
    d.setTransform(D3DTS_WORLD, worldMatrix(lt));

    Material local{};
    if (colour.hasKeys()) {
        Material& target = untextured ? local : image.material;
        target.ambient = colour.evaluate(lt);
        target.diffuse = colour.evaluate(lt);
    }

    const DWORD savedAmbient = d.renderState(D3DRS_AMBIENT);
    d.setRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
    if (d.beginScene()) {
        d.setRenderState(D3DRS_LIGHTING, 1);
        if (untextured) {
            d.setMaterial(local);
            d.setTexture(0, nullptr);
            d.setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
            d.setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
        } else {
            d.setMaterial(image.material);
            d.setTexture(0, rec->texture.get());
            d.setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
            d.setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
            d.setTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
            d.setTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        }
        d.setRenderState(D3DRS_ALPHABLENDENABLE, 1);
        d.setRenderState(D3DRS_SRCBLEND, srcBlend);
        d.setRenderState(D3DRS_DESTBLEND, destBlend);
        d.drawSubset(*image.quad, 0);
        d.endScene();
    }
    d.setRenderState(D3DRS_AMBIENT, savedAmbient);
}

} // namespace zamp
