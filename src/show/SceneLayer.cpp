#include "show/SceneLayer.h"

#include "core/Error.h"
#include "gfx/Device.h"
#include "show/RenderContext.h"
#include "show/Scene.h"
#include "show/ScenePlayback.h"
#include "show/TextureRegistry.h"

#include <algorithm>

namespace zamp {

SceneLayer::SceneLayer(SceneList& scenes, int sceneIndex, int cameraIndex, float timeOffset, DWORD srcBlend,
                       DWORD destBlend)
    : scenes_(scenes), sceneIndex(sceneIndex), cameraIndex(cameraIndex), timeOffset(timeOffset),
      srcBlend(srcBlend), destBlend(destBlend) {
    // Taken as unsigned, a negative index fails too.
    if (static_cast<unsigned>(cameraIndex) >= scenes[sceneIndex].cameras.size()) throw Error("Ugyldig kamera valgt!");
}

void SceneLayer::render(float localTime, RenderContext& context) {
    const float t = localTime + timeOffset;
    const Scene& scene = scenes_[sceneIndex];
    Device& d = context.device;
    // Only depth: the scene draws over what earlier layers left.
    d.clear(D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    if (d.beginScene()) {
        applyCamera(scene.cameras[cameraIndex], d, t, context.aspectRatio);
        d.setRenderState(D3DRS_ZENABLE, 1);
        DWORD i = 0;
        for (; i < scene.lights.size(); ++i) {
            d.setLight(i, scene.lights[i].light);
            d.lightEnable(i, true);
        }
        // Lights an earlier scene left on must not light this one: every index that any
        // scene of the show uses, and at least the eight Direct3D lights at once, goes off.
        const std::size_t managed = std::max<std::size_t>(kManagedLights, scenes_.mostLights());
        for (; i < managed; ++i) d.lightEnable(i, false);

        d.setRenderState(D3DRS_LIGHTING, 1);
        d.setRenderState(D3DRS_ALPHABLENDENABLE, 1);
        d.setRenderState(D3DRS_SRCBLEND, srcBlend);
        d.setRenderState(D3DRS_DESTBLEND, destBlend);
        d.setRenderState(D3DRS_ALPHATESTENABLE, 1);
        d.setRenderState(D3DRS_ALPHAREF, 1);
        d.setRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);

        for (const auto& mesh : scene.meshes) {
            d.setMaterial(mesh->material);
            if (mesh->hasTexture) {
                d.setTexture(0, mesh->texture->texture.get());
                d.setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
                d.setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
                d.setTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
                d.setTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
                d.setTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
            } else {
                d.setTexture(0, nullptr); // the stage states stay as they were
            }
            d.setTransform(D3DTS_WORLD, meshWorldMatrix(*mesh, t));
            d.setRenderState(D3DRS_CULLMODE, mesh->twoSided ? D3DCULL_NONE : D3DCULL_CCW);
            d.drawSubset(*mesh->mesh, 0);
        }
        d.endScene();
    }
    d.setRenderState(D3DRS_ALPHATESTENABLE, 0);
}

} // namespace zamp
