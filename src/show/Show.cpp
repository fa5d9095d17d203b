#include "show/Show.h"

#include "gfx/Device.h"

#include <algorithm>
#include <cassert>

namespace zamp {

ScriptRenderStates::ScriptRenderStates() {
    set(D3DRS_FOGSTART, floatBits(0.0f));
    set(D3DRS_FOGEND, floatBits(1.0f));
}

std::size_t ScriptRenderStates::slot(D3DRENDERSTATETYPE state) {
    const auto* found = std::find(kStates.begin(), kStates.end(), state);
    assert(found != kStates.end() && "not a state scripts set");
    return std::size_t(found - kStates.begin());
}

void ScriptRenderStates::set(D3DRENDERSTATETYPE state, DWORD value) { values_[slot(state)] = value; }

DWORD ScriptRenderStates::get(D3DRENDERSTATETYPE state) const { return values_[slot(state)]; }

void ScriptRenderStates::apply(Device& device) const {
    for (std::size_t i = 0; i < kStates.size(); ++i) device.setRenderState(kStates[i], values_[i]);
}

} // namespace zamp
