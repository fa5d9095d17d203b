// The generic fixed-function program with its block, the device's drawing path before the
// specialised programs: one program for every state, the whole block rebuilt at each draw and
// uploaded when any byte of it changed. Kept as the reference that tests compare the
// specialised programs' pictures with (GlDevice::ShaderPath::Generic).
#pragma once

#include "gfx/DeviceState.h"
#include "gfx/GenericFixedFunctionBlock.h"
#include "platform/gl/GlObjects.h"
#include "platform/gl/GlStateCache.h"

namespace zamp {

class GlGenericFixedFunction {
public:
    // Throws an Error with the compiler's log when the context cannot run the program.
    explicit GlGenericFixedFunction(GlStateCache& cache);

    void prepare(const DeviceState& state, int targetWidth, int targetHeight);

private:
    GlStateCache& cache_;
    gl::ProgramName program_;
    gl::BufferName buffer_;
    GenericFixedFunctionBlock lastBlock_{};
    bool blockUploaded_ = false;
};

} // namespace zamp
