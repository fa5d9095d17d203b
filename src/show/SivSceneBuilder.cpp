#include "show/SivSceneBuilder.h"

#include "show/SivTracks.h"
#include "show/TextureRegistry.h"
#include "siv/SivMeshBuilder.h"

namespace zamp {

std::unique_ptr<Scene> buildSivScene(Device& device, ImageFiles& imageFiles, TextureRegistry& textures,
                                     const SivFile& file, const std::string& path, const std::string& name) {
    auto scene = std::make_unique<Scene>();
    scene->name = name;

    for (std::size_t m = 0; m < file.meshes.size(); ++m) {
        const SivMesh& source = file.meshes[m];
        SceneMesh& target = *scene->meshes.emplace_back(std::make_unique<SceneMesh>());
        target.mesh = buildSivMesh(source, path, m);

        const SivMaterial& material = sivMeshMaterial(file, m, path);
        target.material = sivMaterial(material);
        target.twoSided = material.twoSided != 0;
        const std::string textureName = sivMaterialTextureName(file, material, path);
        if (!textureName.empty()) {
            target.texture = &textures.load(device, imageFiles, textureName);
            target.hasTexture = true;
        }

        fillSivCurve(file.tracks, source.header.objectId, kSivTrackPosition, target.position, source.header.position);
        fillSivCurve(file.tracks, source.header.objectId, kSivTrackRotation, target.rotation, source.header.rotation);
    }
    scene->cameras.reserve(file.cameras.size());
    for (const SivCamera& camera : file.cameras) scene->cameras.push_back(buildSivCamera(camera, file.tracks));
    scene->lights.reserve(file.lights.size());
    for (const SivLight& light : file.lights) scene->lights.push_back(buildSivLight(light));
    return scene;
}

} // namespace zamp
