// The device half of loading a SIV file: turns the records of a parsed SivFile into a Scene
// with meshes (created, optimised, with material and texture), cameras and lights.
#pragma once

#include "siv/Scene.h"
#include "siv/SivFile.h"

#include <memory>
#include <string>

namespace zamp {

// Builds the meshes in file order, then the cameras, then the lights. `path` names the file in
// messages; `name` becomes the scene's name. Throws, in the order the meshes are built:
//   "D3DXCreateMeshFVF failed." (std::string)    no faces, no vertices, or more than 65535
//                                                vertices with fewer than 65535 faces
//   "File <path>: mesh M face F uses vertex V, but the mesh has N vertices." (std::string)
//   "GenerateAdjacency() failed." / "OptimizeInPlace() failed" (plain character strings)
//   "File <path>: mesh M uses material I, but the file has N materials." (std::string)
//   "File <path>: texture entry E has a file name with no ending zero byte." (std::string)
//   the registry's "Error Loading Texture " + name
// Textures that load before a later failure stay in the registry, which never drops entries.
std::unique_ptr<Scene> buildSivScene(Device& device, TextureRegistry& textures, const SivFile& file,
                                     const std::string& path, const std::string& name);

// The Direct3D mesh of one SIV mesh: 16-bit indices below 65535 faces, 32-bit from 65535, the
// first 32 bytes of every vertex, then adjacency and the compact, vertex-cache optimisation.
// Throws the first four messages above; `meshIndex` names the mesh in them.
std::unique_ptr<Mesh> buildSivMesh(const SivMesh& mesh, const std::string& path, std::size_t meshIndex);

// The material record of mesh `meshIndex`: the one its first face names. Throws the material
// message above when that index is outside the material section. The mesh must have faces.
const SivMaterial& sivMeshMaterial(const SivFile& file, std::size_t meshIndex, const std::string& path);

// The texture file that `material` asks for: the name of the first texture entry with its id,
// or an empty string when there is no such entry or its name is empty. Throws the file-name
// message above for a name with no ending zero byte.
std::string sivMaterialTextureName(const SivFile& file, const SivMaterial& material, const std::string& path);

// Every check of buildSivScene that needs no device, in the same order: each mesh is built and
// dropped, and texture names are checked but not loaded. For tools that inspect files.
void checkSivScene(const SivFile& file, const std::string& path);

// The mesh material: colours with alpha 1, black emissive, the record's power.
Material sivMaterial(const SivMaterial& record);

} // namespace zamp
