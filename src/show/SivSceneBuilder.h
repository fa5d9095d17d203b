// The device half of loading a SIV file: turns a scene that passed the check pass
// (siv/SivSceneCheck.h) into a Scene with meshes (with material and texture), cameras and
// lights. It checks nothing of the file: every fault of the file was found by the pass.
#pragma once

#include "show/Scene.h"
#include "siv/SivSceneCheck.h"

#include <memory>
#include <string>

namespace zamp {

class ImageFiles;

// Builds the meshes in file order (their Mesh moved out of `checked`), then the cameras, then
// the lights; `name` becomes the scene's name. Loads the textures that the meshes name
// through `textures`, and throws the registry's "Error Loading Texture " + name when one fails
// (textures loaded before it stay in the registry). `modelFolder` is the entry of an imported
// model when the file is one (show/ModelImport.h): the pictures that were inside the model are
// found there.
std::unique_ptr<Scene> buildSivScene(Device& device, ImageFiles& imageFiles, TextureRegistry& textures,
                                     CheckedSivScene&& checked, const std::string& name,
                                     const std::string& modelFolder = {});

} // namespace zamp
