// The device half of loading a SIV file: turns the records of a parsed SivFile into a Scene
// with meshes (created, optimised, with material and texture), cameras and lights.
#pragma once

#include "show/Scene.h"
#include "siv/SivFile.h"

#include <memory>
#include <string>

namespace zamp {

class ImageFiles;

// Builds the meshes in file order, then the cameras, then the lights. `path` names the file in
// messages; `name` becomes the scene's name. Throws the curve key budget's refusal before
// anything is built, then the first failure of the mesh and curve checks
// (siv/SivMeshBuilder.h, siv/SivCurveChecks.h) in the order the meshes and cameras are built,
// or the registry's "Error Loading Texture " + name. Textures that load before a later failure
// stay in the registry. `modelFolder` is the entry of an imported model when the file is one
// (show/ModelImport.h): the pictures that were inside the model are found there.
std::unique_ptr<Scene> buildSivScene(Device& device, ImageFiles& imageFiles, TextureRegistry& textures,
                                     const SivFile& file, const std::string& path, const std::string& name,
                                     const std::string& modelFolder = {});

} // namespace zamp
