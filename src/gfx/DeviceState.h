// The Direct3D state a device holds, with Direct3D 9's defaults on a new device (from the
// state table, StateTable.h). Both the OpenGL device and the tests' recording device keep
// one; the OpenGL device turns it into GL state and shader inputs only when it draws.
#pragma once

#include "gfx/D3DTypes.h"
#include "gfx/Texture.h"

#include <array>
#include <cstdint>
#include <vector>

namespace zamp {

// Most lights the fixed-function shader evaluates at once; further enabled lights are
// ignored in enabling order, as Direct3D 9 drivers with eight active lights do.
inline constexpr int kMaxActiveLights = 8;

class DeviceState {
public:
    DeviceState();

    void setRenderState(D3DRENDERSTATETYPE state, DWORD value);
    DWORD renderState(D3DRENDERSTATETYPE state) const;

    void setTransform(DWORD type, const Matrix& m);
    const Matrix& transform(DWORD type) const;

    // Rejects types other than point, spot and directional and negative attenuations.
    bool setLight(DWORD index, const Light& light);
    // Enabling an index never given a light gives it the default white directional light.
    void lightEnable(DWORD index, bool enable);
    bool lightEnabled(DWORD index) const;
    const Light* light(DWORD index) const;
    // The lights that take part in lighting: enabled ones, oldest enabling first, at most kMaxActiveLights.
    int activeLights(std::array<const Light*, kMaxActiveLights>& out) const;

    void setMaterial(const Material& m) { material_ = m; }
    const Material& material() const { return material_; }

    void setTexture(DWORD stage, Texture* t);
    Texture* texture(DWORD stage) const;

    void setTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
    DWORD textureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) const;

private:
    struct LightSlot {
        Light light;
        bool enabled = false;
    };

    std::array<DWORD, kRenderStateCount> renderStates_{};
    Matrix world_, view_, projection_;
    std::vector<LightSlot> lights_;
    std::vector<DWORD> enablingOrder_; // enabled indices, earliest enabled first
    Material material_;
    std::array<Texture*, kTextureStageCount> textures_{};
    std::array<std::array<DWORD, kTextureStageStateCount>, kTextureStageCount> stageStates_{};
};

} // namespace zamp
