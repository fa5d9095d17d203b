// A loaded scene drawn through one of its cameras, at the layer's local time plus an offset.
#pragma once

#include "show/Layer.h"
#include "gfx/D3DTypes.h"

namespace zamp {

class SceneList;

class SceneLayer final : public Layer {
public:
    // Throws "Ugyldig kamera valgt!" when the scene has no camera of that index.
    SceneLayer(SceneList& scenes, int sceneIndex, int cameraIndex, float timeOffset, DWORD srcBlend, DWORD destBlend);

    void render(float localTime, RenderContext& context) override;

private:
    SceneList& scenes_;

public:
    const int sceneIndex;
    const int cameraIndex;
    const float timeOffset;
    const DWORD srcBlend, destBlend;
};

// Light indices a scene manages: those it does not use are switched off up to this one, or up
// to the most lights any scene of the show has when that is more. Direct3D 9 keeps every
// enabled light on, and lights the first eight in enabling order.
inline constexpr DWORD kManagedLights = 8;

} // namespace zamp
