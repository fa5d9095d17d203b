// The OpenGL device of a window, set up as the player's window always sets it up: depth on, no
// ambient light. The glue that made the window's GL context (SDL's, the browser's) hands it
// here with the way to release the context, which happens after the device's GL objects go.
#pragma once

#include "platform/WindowGraphics.h"
#include "platform/gl/GlDevice.h"

#include <functional>
#include <memory>

namespace zamp {

class GlWindowGraphics final : public WindowGraphics {
public:
    // Throws "pD3D->CreateDevice() Failed. (<reason>)" when the device cannot be made; the
    // context is released then too.
    GlWindowGraphics(int backBufferWidth, int backBufferHeight, GlDevice::PresentTarget presentTarget,
                     std::function<void()> releaseContext);
    ~GlWindowGraphics() override;
    GlWindowGraphics(const GlWindowGraphics&) = delete;
    GlWindowGraphics& operator=(const GlWindowGraphics&) = delete;

    GlDevice& device() override { return *device_; }

private:
    struct ContextRelease {
        std::function<void()> release;
        ~ContextRelease() {
            if (release) release();
        }
    };
    // Declared in the order they are made, so the device goes before its context.
    ContextRelease context_;
    std::unique_ptr<GlDevice> device_;
};

} // namespace zamp
