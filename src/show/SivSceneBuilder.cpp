#include "show/SivSceneBuilder.h"

#include "show/ModelImport.h"
#include "show/SivTracks.h"
#include "show/TextureRegistry.h"
#include "siv/SivMeshBuilder.h"

namespace zamp {

std::unique_ptr<Scene> buildSivScene(Device& device, ImageFiles& imageFiles, TextureRegistry& textures,
                                     CheckedSivScene&& checked, const std::string& name,
                                     const std::string& modelFolder) {
    auto scene = std::make_unique<Scene>();
    scene->name = name;
    const std::span<const SivTrackRecord> tracks = checked.tracks.tracks();
    scene->meshes.reserve(checked.meshes.size());
    for (CheckedSivMesh& source : checked.meshes) {
        SceneMesh& target = *scene->meshes.emplace_back(std::make_unique<SceneMesh>());
        target.mesh = std::move(source.mesh);
        target.bounds = source.bounds;

        target.material = sivMaterial(*source.material);
        target.twoSided = source.material->twoSided != 0;
        const std::string textureName = modelTextureName(modelFolder, std::string(source.textureName));
        if (!textureName.empty()) {
            target.texture = &textures.load(device, imageFiles, textureName);
            target.hasTexture = true;
        }

        fillSivCurve(tracks, source.curves.position, target.position, source.header->position);
        fillSivCurve(tracks, source.curves.rotation, target.rotation, source.header->rotation);
    }
    scene->cameras.reserve(checked.cameras.size());
    for (const CheckedSivCamera& camera : checked.cameras)
        scene->cameras.push_back(buildSivCamera(camera, tracks));
    scene->lights.reserve(checked.lights.size());
    for (const SivLight& light : checked.lights) scene->lights.push_back(buildSivLight(light));
    return scene;
}

} // namespace zamp
