#include "gfx/DeviceState.h"

#include "gfx/StateTable.h"

#include <algorithm>

namespace zamp {

namespace {

Light defaultLight() {
    Light l;
    l.type = D3DLIGHT_DIRECTIONAL;
    l.diffuse = {1, 1, 1, 0};
    l.direction = {0, 0, 1};
    return l;
}

} // namespace

DeviceState::DeviceState() {
    for (const RenderStateRow& row : kRenderStates) renderStates_[row.state] = row.defaultValue;
    world_ = view_ = projection_ = Matrix::identity();
    for (DWORD stage = 0; stage < kTextureStageCount; ++stage)
        for (const StageStateRow& row : kStageStates) stageStates_[stage][row.type] = stageStateDefault(row, stage);
}

void DeviceState::setRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    if (state < kRenderStateCount) renderStates_[state] = value;
}

DWORD DeviceState::renderState(D3DRENDERSTATETYPE state) const {
    return state < kRenderStateCount ? renderStates_[state] : 0;
}

void DeviceState::setTransform(DWORD type, const Matrix& m) {
    switch (type) {
    case D3DTS_WORLD: world_ = m; break;
    case D3DTS_VIEW: view_ = m; break;
    case D3DTS_PROJECTION: projection_ = m; break;
    default: break; // world matrices 257 and up are never drawn with
    }
}

const Matrix& DeviceState::transform(DWORD type) const {
    switch (type) {
    case D3DTS_VIEW: return view_;
    case D3DTS_PROJECTION: return projection_;
    default: return world_;
    }
}

bool DeviceState::setLight(DWORD index, const Light& light) {
    if (light.type < D3DLIGHT_POINT || light.type > D3DLIGHT_DIRECTIONAL) return false;
    if (light.attenuation0 < 0 || light.attenuation1 < 0 || light.attenuation2 < 0) return false;
    if (index >= lights_.size()) lights_.resize(index + 1, LightSlot{defaultLight()});
    lights_[index].light = light;
    return true;
}

void DeviceState::lightEnable(DWORD index, bool enable) {
    if (index >= lights_.size()) {
        if (!enable) return;
        lights_.resize(index + 1, LightSlot{defaultLight()});
    }
    LightSlot& slot = lights_[index];
    if (enable == slot.enabled) return;
    slot.enabled = enable;
    if (enable) {
        enablingOrder_.push_back(index);
    } else {
        enablingOrder_.erase(std::find(enablingOrder_.begin(), enablingOrder_.end(), index));
    }
}

bool DeviceState::lightEnabled(DWORD index) const {
    return index < lights_.size() && lights_[index].enabled;
}

const Light* DeviceState::light(DWORD index) const {
    return index < lights_.size() ? &lights_[index].light : nullptr;
}

int DeviceState::activeLights(std::array<const Light*, kMaxActiveLights>& out) const {
    int count = 0;
    for (DWORD index : enablingOrder_) {
        if (count == kMaxActiveLights) break;
        out[count++] = &lights_[index].light;
    }
    return count;
}

void DeviceState::setTexture(DWORD stage, Texture* t) {
    if (stage < kTextureStageCount) textures_[stage] = t;
}

Texture* DeviceState::texture(DWORD stage) const {
    return stage < kTextureStageCount ? textures_[stage] : nullptr;
}

void DeviceState::setTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    if (stage < kTextureStageCount && type < kTextureStageStateCount) stageStates_[stage][type] = value;
}

DWORD DeviceState::textureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) const {
    return stage < kTextureStageCount && type < kTextureStageStateCount ? stageStates_[stage][type] : 0;
}

} // namespace zamp
