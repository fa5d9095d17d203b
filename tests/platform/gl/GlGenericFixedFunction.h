// The generic fixed-function program with its block, the device's drawing path before the
// programs per shape: one program for every state, the whole block rebuilt at each draw and
// uploaded when any byte of it changed. The reference that the device's programs' pictures are
// compared with: it draws in their place through GlDevice::overridePrograms.
#pragma once

#include "gfx/DeviceState.h"
#include "platform/gl/GlDevice.h"
#include "platform/gl/GlObjects.h"
#include "platform/gl/GlStateCache.h"
#include "support/GenericFixedFunctionBlock.h"

namespace zamp::test {

class GlGenericFixedFunction final : public GlDevice::ProgramOverride {
public:
    // Needs a current GL context. Throws an Error with the compiler's log when the context
    // cannot run the program.
    GlGenericFixedFunction();

    void prepare(const DeviceState& state, GlStateCache& cache, int targetWidth, int targetHeight) override;

private:
    gl::ProgramName program_;
    gl::BufferName buffer_;
    GenericFixedFunctionBlock lastBlock_{};
    bool blockUploaded_ = false;
    bool samplerSet_ = false;
};

} // namespace zamp::test
