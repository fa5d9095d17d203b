#include "platform/gl/GlPipelineState.h"

#include "platform/gl/GlBlendTable.h"

#include <bit>
#include <iostream>

namespace zamp {

void GlPipelineState::applyStale(const DeviceState& state) {
    for (unsigned stale = stale_; stale != 0; stale &= stale - 1)
        applyGroup(PipelineState(std::countr_zero(stale)), state);
    stale_ = 0;
}

void GlPipelineState::applyGroup(PipelineState group, const DeviceState& s) {
    switch (group) {
    case PipelineState::DepthTest: cache_.enable(GL_DEPTH_TEST, s.renderState(D3DRS_ZENABLE) != 0); break;
    case PipelineState::DepthFunction: {
        const DWORD zfunc = s.renderState(D3DRS_ZFUNC);
        cache_.depthFunc(zfunc >= D3DCMP_NEVER && zfunc <= D3DCMP_ALWAYS ? glCompareFor(zfunc) : GL_LEQUAL);
        break;
    }
    case PipelineState::DepthWrite: cache_.depthMask(s.renderState(D3DRS_ZWRITEENABLE) != 0); break;
    // The player never masks a channel: every draw writes them all.
    case PipelineState::ColorWrite: cache_.colorMask(true); break;
    case PipelineState::Blend: {
        const bool blend = s.renderState(D3DRS_ALPHABLENDENABLE) != 0;
        cache_.enable(GL_BLEND, blend);
        if (!blend) break;
        const DWORD src = s.renderState(D3DRS_SRCBLEND), dst = s.renderState(D3DRS_DESTBLEND);
        if (!blendFallbackReported_ && usesBlendFallback(src, dst)) {
            blendFallbackReported_ = true;
            std::cerr << "zamp: blend factors " << src << "/" << dst
                      << " have no fixed-function meaning; ONE is used for a source and ZERO for a destination\n";
        }
        const GlBlendFunc f = glBlendFor(src, dst);
        cache_.blendFunc(f.src, f.dst);
        break;
    }
    case PipelineState::Cull:
        switch (s.renderState(D3DRS_CULLMODE)) {
        case D3DCULL_CW:
            cache_.enable(GL_CULL_FACE, true);
            cache_.cullFace(GL_FRONT);
            break;
        case D3DCULL_CCW:
            cache_.enable(GL_CULL_FACE, true);
            cache_.cullFace(GL_BACK);
            break;
        default: cache_.enable(GL_CULL_FACE, false); break;
        }
        break;
    case PipelineState::BlendFactor: cache_.blendColor(s.renderState(D3DRS_BLENDFACTOR)); break;
    case PipelineState::None:
    case PipelineState::KeptAtDefault: break;
    }
}

} // namespace zamp
