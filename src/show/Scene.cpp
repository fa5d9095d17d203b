#include "show/Scene.h"

#include "core/Error.h"
#include "core/RegularFile.h"
#include "core/ShowFiles.h"
#include "show/ModelImport.h"
#include "show/SivSceneBuilder.h"
#include "show/Warnings.h"
#include "siv/SivParse.h"
#include "siv/SivSceneCheck.h"

#include <algorithm>
#include <filesystem>
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
    // Parse, check, then build: the records are released with `file` when this returns, and
    // the scene joins the list only once everything has succeeded.
    // The file is found as a show made on Windows means it; messages name it as the script did.
    sought_.push_back(showFilePath(path));
    try {
        const SivFile file = parseSivFile(readSivFileBytes(sought_.back(), path), path);
        append(buildSivScene(device, files, textures, checkSivScene(file, path), name));
    } catch (const std::bad_alloc&) {
        // The bounds keep real files far from this; say what was being loaded.
        throw Error("File " + path + ": there is not enough memory to load it.");
    }
    files_.push_back(showFilePath(path));
}

namespace {

// True when `file` (relative to the show folder, as findShowFile gives it) names a place inside
// the show folder: not an absolute name, and no ".." that climbs above it.
bool insideShowFolder(const std::string& file) {
    const std::filesystem::path p(file);
    if (p.is_absolute() || file.empty()) return false;
    int depth = 0;
    for (const auto& part : p) {
        if (part == "..") {
            if (--depth < 0) return false;
        } else if (part != "." && !part.empty()) {
            ++depth;
        }
    }
    return true;
}

} // namespace

void SceneList::loadModel(Device& device, ImageFiles& files, TextureRegistry& textures, ModelImporter& models,
                          Warnings& warnings, const std::string& path, const std::string& name) {
    // The model must be a regular file, as every show file: a named pipe would hold the import
    // up for ever.
    const std::string file = showFilePath(path);
    if (const OpenedFile opened = openRegularFile(file); !opened.file)
        throw Error(path + " kan ikke åpnes. (It " + describeFileProblem(opened.problem) + ".)");
    // A show may come from a stranger: its models are read from its own folder only.
    if (!insideShowFolder(file))
        throw Error("loadsiv: " + path + ": a model is imported only from inside the show folder");
    auto load = [&](const ImportedModel& model) {
        const std::string scene = (std::filesystem::path(model.folder) / kModelSceneFile).string();
        try {
            const SivFile parsed = parseSivFile(readSivFileBytes(scene, path), path);
            return buildSivScene(device, files, textures, checkSivScene(parsed, path), name, model.folder);
        } catch (const std::bad_alloc&) {
            throw Error("File " + path + ": there is not enough memory to load it.");
        }
    };
    ImportedModel model = models.import(path, file, false);
    std::unique_ptr<Scene> scene;
    try {
        scene = load(model);
    } catch (const Error&) {
        // A kept entry may be damaged, or name a texture that has since moved: the import
        // itself says best what is wrong now.
        if (!model.kept) throw;
        model = models.import(path, file, true);
        scene = load(model);
    }
    append(std::move(scene));
    files_.push_back(file);
    for (const std::string& warning : model.warnings) warnings.add(path + ": " + warning);
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
