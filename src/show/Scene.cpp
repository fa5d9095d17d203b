#include "show/Scene.h"

#include "core/Error.h"
#include "core/ShowFiles.h"
#include "show/SivSceneBuilder.h"
#include "siv/SivParse.h"

#include <algorithm>
#include <new>

namespace zamp {

Scene::~Scene() {
    // Member order would release lights and cameras before the meshes; the meshes hold device
    // resources and go first, one by one in file order.
    for (auto& mesh : meshes) mesh.reset();
    lights.clear();
    cameras.clear();
}

SceneList::~SceneList() {
    for (auto& scene : scenes_) scene.reset();
}

void SceneList::loadSiv(Device& device, ImageFiles& files, TextureRegistry& textures, const std::string& path,
                        const std::string& name) {
    // Parse first, then build: the records are released with `file` when this returns, and
    // the scene joins the list only once everything has succeeded.
    // The file is found as a show made on Windows means it; messages name it as the script did.
    sought_.push_back(showFilePath(path));
    try {
        const SivFile file = parseSivFile(readSivFileBytes(sought_.back(), path), path);
        append(buildSivScene(device, files, textures, file, path, name));
    } catch (const std::bad_alloc&) {
        // The bounds keep real files far from this; say what was being loaded.
        throw Error("File " + path + ": there is not enough memory to load it.");
    }
    files_.push_back(showFilePath(path));
}

Scene& SceneList::append(std::unique_ptr<Scene> scene) {
    mostLights_ = std::max(mostLights_, scene->lights.size());
    scenes_.push_back(std::move(scene));
    return *scenes_.back();
}

int SceneList::find(const std::string& name) const {
    for (std::size_t i = 0; i < scenes_.size(); ++i)
        if (scenes_[i]->name == name) return static_cast<int>(i);
    return -1;
}

} // namespace zamp
