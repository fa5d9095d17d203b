// A loaded scene: named meshes with their animation curves, cameras and fixed lights, as one
// SIV file becomes them in memory. Plain data, read directly by scene layers and playback;
// nothing changes a scene after its load. SceneList keeps every loaded scene for the whole
// run, in load order.
#pragma once

#include "curves/LinearQuaternionCurve.h"
#include "curves/TCBCurve.h"
#include "gfx/BoundingBox.h"
#include "gfx/D3DTypes.h"
#include "gfx/Mesh.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace zamp {

class Device;
class ImageFiles;
class ModelImporter;
class TextureRegistry;
class Warnings;
struct TextureRecord;

struct SceneMesh {
    std::unique_ptr<Mesh> mesh;         // every face in subset 0
    BoundingBox bounds;                 // of the mesh's vertices, in its own space; unbounded: never culled
    Material material;                  // colours with alpha 1, emissive black
    TextureRecord* texture = nullptr;   // owned by the TextureRegistry; null when none
    TCBCurve<Vec3> position;            // translation over time
    LinearQuaternionCurve rotation;     // rotation over time
    bool hasTexture = false;            // true exactly when texture is set
    bool twoSided = false;              // drawn with culling off
};

struct SceneCamera {
    TCBCurve<Vec3> position;  // eye point
    TCBCurve<Vec3> target;    // point looked at
    TCBCurve<Vec3> up;        // always one key: (0, 1, 0)
    TCBCurve<float> fov;      // always one key: 45
    float nearPlane = 1.0f;
    float farPlane = 100000.0f;
};

struct SceneLight {
    Light light; // set on the device as it stands; lights are not animated
};

struct Scene {
    Scene() = default;
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;
    // Releases the meshes first, in order, then the lights, then the cameras.
    ~Scene();

    std::string name;
    std::vector<std::unique_ptr<SceneMesh>> meshes; // file order
    std::vector<SceneCamera> cameras;               // file order; layers choose by index
    std::vector<SceneLight> lights;                 // file order; light i is device light i
};

class SceneList {
public:
    SceneList() = default;
    SceneList(const SceneList&) = delete;
    SceneList& operator=(const SceneList&) = delete;
    // Releases the scenes in list order.
    ~SceneList();

    // Loads the SIV file at `path` (as given, relative to the working directory) and appends
    // it as a scene called `name`. Textures that its materials name come from `textures`.
    // Throws the load's Error; on failure the list is unchanged.
    void loadSiv(Device& device, ImageFiles& files, TextureRegistry& textures, const std::string& path,
                 const std::string& name);

    // Loads the model file at `path` (one that isModelFileName names; found as core/ShowFiles.h
    // describes, and only inside the show folder) through `models`, and appends it as a scene
    // called `name`. The import's warnings go to `warnings`, each after the model's name. An
    // entry kept from an earlier run that fails to load is imported again, once. Throws the
    // import's or the load's Error; on failure the list is unchanged.
    void loadModel(Device& device, ImageFiles& files, TextureRegistry& textures, ModelImporter& models,
                   Warnings& warnings, const std::string& path, const std::string& name);

    // Appends a finished scene; its index stays valid until the list is destroyed.
    Scene& append(std::unique_ptr<Scene> scene);

    // The SIV and model files loaded, as they were opened.
    const std::vector<std::string>& files() const { return files_; }
    // Every SIV file a load looked for, found or not.
    const std::vector<std::string>& filesSought() const { return sought_; }

    std::size_t size() const { return scenes_.size(); }
    Scene& operator[](std::size_t i) { return *scenes_[i]; }
    const Scene& operator[](std::size_t i) const { return *scenes_[i]; }
    // Throws std::out_of_range for an index past the end.
    Scene& at(std::size_t i) { return *scenes_.at(i); }
    const Scene& at(std::size_t i) const { return *scenes_.at(i); }

    // Index of the first scene, in load order, whose name equals `name` byte for byte; -1 when
    // there is none. Names need not be unique.
    int find(const std::string& name) const;

    // The most lights any scene of the list has: the light indices a scene layer may find on.
    std::size_t mostLights() const { return mostLights_; }

private:
    std::vector<std::unique_ptr<Scene>> scenes_;
    std::vector<std::string> files_;
    std::vector<std::string> sought_;
    std::size_t mostLights_ = 0;
};

} // namespace zamp
