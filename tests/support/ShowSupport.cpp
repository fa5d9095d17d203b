#include "support/ShowSupport.h"

#include "show/Frame.h"
#include "show/RenderContext.h"

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

} // namespace zamp::test
