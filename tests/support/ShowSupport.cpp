#include "support/ShowSupport.h"

#include "show/CaptureLayer.h"
#include "show/Frame.h"
#include "show/Image.h"
#include "show/ImageLayer.h"
#include "show/RenderContext.h"
#include "support/SceneMaker.h"

namespace zamp::test {

void drawFrame(Show& show, Device& device, float t) {
    RenderContext context{device, device.renderTarget(0)};
    composeFrame(show, t, context);
    device.present();
}

void drawFrame(Show& show, Device& device, float t, bool cullMeshes, MeshCounts* counts) {
    RenderContext context{device, device.renderTarget(0), kScreenAspectRatio, cullMeshes, counts};
    composeFrame(show, t, context);
    device.present();
}

TextureRecord& addCaptureShownAsImage(Show& show, Device& device, const std::string& name, int width, int height,
                                      int order) {
    TextureRecord& target = show.textures.createRenderTarget(device, name, width, height);
    auto capture = std::make_unique<CaptureLayer>(target);
    capture->start = 0, capture->end = 100;
    show.layers.addCapture(std::move(capture));
    auto image = std::make_unique<Image>();
    image->name = name;
    image->texture = &target;
    image->quad = makeImageQuad();
    image->material = plainMaterial({1, 1, 1, 1}, {1, 1, 1, 1});
    const int imageIndex = show.images.add(std::move(image));
    auto shown = std::make_unique<ImageLayer>(show.images, imageIndex, D3DBLEND_ONE, D3DBLEND_ZERO);
    shown->start = 0, shown->end = 100;
    show.layers.add(std::move(shown), order);
    return target;
}

} // namespace zamp::test
