#include "platform/gl/WindowDevice.h"

#include "core/Error.h"

namespace zamp {

std::unique_ptr<GlDevice> openWindowDevice(int width, int height, GlDevice::PresentTarget presentTarget) {
    std::unique_ptr<GlDevice> device;
    try {
        device = std::make_unique<GlDevice>(width, height, std::move(presentTarget));
    } catch (const Error& e) {
        throw Error(std::string("pD3D->CreateDevice() Failed. (") + e.what() + ")");
    }
    device->setRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->setRenderState(D3DRS_AMBIENT, 0);
    return device;
}

} // namespace zamp
