// The device a window draws with, set up as the player's window always sets it up: depth on,
// no ambient light. Shared by the back ends that make windows (SDL, the browser).
#pragma once

#include "platform/gl/GlDevice.h"

#include <memory>

namespace zamp {

// Throws "pD3D->CreateDevice() Failed. (<reason>)" when the device cannot be made.
std::unique_ptr<GlDevice> openWindowDevice(int backBufferWidth, int backBufferHeight,
                                           GlDevice::PresentTarget presentTarget);

} // namespace zamp
