#include "platform/gl/GlWindowGraphics.h"

#include "core/Error.h"

namespace zamp {

GlWindowGraphics::GlWindowGraphics(int width, int height, GlDevice::PresentTarget presentTarget,
                                   std::function<void()> releaseContext)
    : context_{std::move(releaseContext)} {
    try {
        device_ = std::make_unique<GlDevice>(width, height, std::move(presentTarget));
    } catch (const Error& e) {
        throw Error(std::string("pD3D->CreateDevice() Failed. (") + e.what() + ")");
    }
    device_->setRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device_->setRenderState(D3DRS_AMBIENT, 0);
}

GlWindowGraphics::~GlWindowGraphics() = default;

} // namespace zamp
