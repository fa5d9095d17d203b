#include "show/SivSceneBuilder.h"

#include "show/ModelImport.h"
#include "show/SivTracks.h"
#include "show/TextureRegistry.h"
#include "siv/SivCurveChecks.h"
#include "siv/SivMeshBuilder.h"
#include "siv/SivTrackIndex.h"

namespace zamp {

std::unique_ptr<Scene> buildSivScene(Device& device, ImageFiles& imageFiles, TextureRegistry& textures,
                                     const SivFile& file, const std::string& path, const std::string& name,
                                     const std::string& modelFolder) {
    const SivTrackIndex tracks(file.tracks);
    checkSivCurveKeyBudget(file, tracks, path);
    const SivTextureNames textureNames(file);

    auto scene = std::make_unique<Scene>();
    scene->name = name;
    scene->meshes.reserve(file.meshes.size());
    for (std::size_t m = 0; m < file.meshes.size(); ++m) {
        const SivMesh& source = file.meshes[m];
        SceneMesh& target = *scene->meshes.emplace_back(std::make_unique<SceneMesh>());
        target.mesh = buildSivMesh(source, path, m);
        target.bounds = boundingBoxOf(*target.mesh);

        const SivMaterial& material = sivMeshMaterial(file, m, path);
        target.material = sivMaterial(material);
        target.twoSided = material.twoSided != 0;
        const std::string textureName = modelTextureName(modelFolder, textureNames.forMaterial(material, path));
        if (!textureName.empty()) {
            target.texture = &textures.load(device, imageFiles, textureName);
            target.hasTexture = true;
        }

        checkSivMeshCurves(file, tracks, m, path);
        fillSivCurve(tracks, source.header.objectId, kSivTrackPosition, target.position, source.header.position);
        fillSivCurve(tracks, source.header.objectId, kSivTrackRotation, target.rotation, source.header.rotation);
    }
    scene->cameras.reserve(file.cameras.size());
    for (std::size_t c = 0; c < file.cameras.size(); ++c) {
        checkSivCameraCurves(file, tracks, c, path);
        scene->cameras.push_back(buildSivCamera(file.cameras[c], tracks));
    }
    scene->lights.reserve(file.lights.size());
    for (const SivLight& light : file.lights) scene->lights.push_back(buildSivLight(light));
    return scene;
}

} // namespace zamp
