#include "siv/SivSceneCheck.h"

#include "siv/SivCurveChecks.h"
#include "siv/SivMeshBuilder.h"

namespace zamp {

CheckedSivScene::CheckedSivScene(const SivFile& file) : tracks(file.tracks) {}

CheckedSivScene checkSivScene(const SivFile& file, const std::string& path) {
    CheckedSivScene scene(file);
    checkSivCurveKeyBudget(file, scene.tracks, path);
    const SivTextureNames textureNames(file);
    scene.meshes.reserve(file.meshes.size());
    for (std::size_t m = 0; m < file.meshes.size(); ++m) {
        CheckedSivMesh& mesh = scene.meshes.emplace_back();
        mesh.header = &file.meshes[m].header;
        mesh.mesh = buildSivMesh(file.meshes[m], path, m);
        mesh.material = &sivMeshMaterial(file, m, path);
        mesh.textureName = textureNames.forMaterial(*mesh.material, path);
        checkSivMeshCurves(file, scene.tracks, m, path);
    }
    for (std::size_t c = 0; c < file.cameras.size(); ++c) checkSivCameraCurves(file, scene.tracks, c, path);
    scene.cameras = file.cameras;
    scene.lights = file.lights;
    return scene;
}

} // namespace zamp
