#include "app/DemoApp.h"

namespace zamp {

void DemoApp::createWindow(const WindowOptions& options) {
    window = std::make_unique<SdlWindow>(options);
    attachDevice(window->device());
}

void DemoApp::attachDevice(Device& d) {
    device = &d;
    backBuffer = d.renderTarget(0);
}

void DemoApp::renderFrame() {
    device->clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    script.layers.render(script.demoTime, *device, backBuffer);
    device->present();
}

} // namespace zamp
