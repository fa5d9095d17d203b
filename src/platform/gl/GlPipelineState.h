// The GL state outside the shaders, one group per PipelineState of the state table
// (gfx/StateTable.h): a render state's change marks its group stale, and a draw applies only
// the stale groups, through the state cache.
#pragma once

#include "gfx/DeviceState.h"
#include "gfx/StateTable.h"
#include "platform/gl/GlStateCache.h"

namespace zamp {

class GlPipelineState {
public:
    explicit GlPipelineState(GlStateCache& cache) : cache_(cache) {}

    // A state of the group changed; states that set no GL state change nothing.
    void invalidate(PipelineState group) { stale_ |= pipelineBit(group); }
    // GL state changed outside the groups (the cache was told to forget, a clear opened a mask).
    void invalidateAll() { stale_ = kAllPipelineStates; }

    // Before a draw: the GL state of every stale group as `state` has it.
    void apply(const DeviceState& state) {
        if (stale_ != 0) applyStale(state);
    }

private:
    void applyStale(const DeviceState& state);
    void applyGroup(PipelineState group, const DeviceState& state);

    GlStateCache& cache_;
    unsigned stale_ = kAllPipelineStates;
    bool blendFallbackReported_ = false;
};

} // namespace zamp
