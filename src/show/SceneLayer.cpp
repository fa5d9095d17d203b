#include "show/SceneLayer.h"

#include "core/Error.h"
#include "gfx/ClipVolume.h"
#include "gfx/Device.h"
#include "show/RenderContext.h"
#include "show/Scene.h"
#include "show/ScenePlayback.h"
#include "show/TextureRegistry.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace zamp {

namespace {

// Texture stage 0 as a textured mesh draws: its texture times the lit colour, the texture's
// alpha. Untextured meshes leave the stage as they find it.
void setTexturedStage(Device& d) {
    d.setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d.setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d.setTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    d.setTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    d.setTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
}

// Everything a mesh sets before it is drawn.
void setMeshState(Device& d, const SceneMesh& mesh, const Matrix& world) {
    d.setMaterial(mesh.material);
    if (mesh.hasTexture) {
        d.setTexture(0, mesh.texture->texture.get());
        setTexturedStage(d);
    } else {
        d.setTexture(0, nullptr); // the stage states stay as they were
    }
    d.setTransform(D3DTS_WORLD, world);
    d.setRenderState(D3DRS_CULLMODE, mesh.twoSided ? D3DCULL_NONE : D3DCULL_CCW);
}

} // namespace

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

        // Meshes wholly outside the camera's view are not drawn. What a skipped mesh would
        // have set must still hold wherever it would have mattered: every drawn mesh sets its
        // own material, texture, world matrix and cull mode, but keeps the texture stage states
        // of the last textured mesh before it; and what the last mesh sets stays for the
        // layers after this one. So a skipped textured mesh still sets the stage states (they
        // are the same for every mesh: once is enough), and a skipped last mesh sets its whole
        // state. The device then holds exactly the state it holds without culling at every
        // draw and after the layer.
        std::optional<ClipVolume> clip;
        if (context.cullMeshes) {
            const Surface* target = d.renderTarget(0);
            clip.emplace(d.transform(D3DTS_VIEW), d.transform(D3DTS_PROJECTION), target ? target->width() : 1,
                         target ? target->height() : 1);
        }
        bool stageSet = false;
        std::uint64_t drawn = 0, skipped = 0;
        for (std::size_t m = 0; m < scene.meshes.size(); ++m) {
            const SceneMesh& mesh = *scene.meshes[m];
            const Matrix world = meshWorldMatrix(mesh, t);
            if (clip && clip->excludes(mesh.bounds, world)) {
                ++skipped;
                if (m + 1 == scene.meshes.size()) {
                    setMeshState(d, mesh, world);
                } else if (mesh.hasTexture && !stageSet) {
                    setTexturedStage(d);
                    stageSet = true;
                }
                continue;
            }
            setMeshState(d, mesh, world);
            stageSet = stageSet || mesh.hasTexture;
            d.drawSubset(*mesh.mesh, 0);
            ++drawn;
        }
        if (context.meshCounts) {
            context.meshCounts->drawn += drawn;
            context.meshCounts->skipped += skipped;
        }
        d.endScene();
    }
    d.setRenderState(D3DRS_ALPHATESTENABLE, 0);
}

} // namespace zamp
