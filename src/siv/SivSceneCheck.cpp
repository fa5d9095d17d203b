#include "siv/SivSceneCheck.h"

#include "siv/SivCurveChecks.h"
#include "siv/SivMeshBuilder.h"

namespace zamp {

CheckedSivScene::CheckedSivScene(const SivFile& file) : lights(file.lights), tracks(file.tracks) {}

CheckedSivScene checkSivScene(const SivFile& file, const std::string& path) {
    CheckedSivScene scene(file);
    const SivTrackIndex& tracks = scene.tracks;
    checkSivCurveKeyBudget(file, tracks, path);
    const SivTextureNames textureNames(file);
    scene.meshes.reserve(file.meshes.size());
    for (std::size_t m = 0; m < file.meshes.size(); ++m) {
        CheckedSivMesh& mesh = scene.meshes.emplace_back();
        mesh.header = &file.meshes[m].header;
        mesh.mesh = buildSivMesh(file.meshes[m], path, m);
        mesh.bounds = boundingBoxOf(*mesh.mesh);
        mesh.material = &sivMeshMaterial(file, m, path);
        mesh.textureName = textureNames.forMaterial(*mesh.material, path);
        mesh.curves = checkSivMeshCurves(file, tracks, m, path);
    }
    scene.cameras.reserve(file.cameras.size());
    for (std::size_t c = 0; c < file.cameras.size(); ++c)
        scene.cameras.push_back({&file.cameras[c], checkSivCameraCurves(file, tracks, c, path)});
    return scene;
}

} // namespace zamp
