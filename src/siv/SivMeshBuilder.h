// The mesh checks of a SIV scene and what they find: each mesh section as a utility-library
// mesh, the material and texture each mesh uses. The check pass (siv/SivSceneCheck.h) runs
// them in the player's order; nothing else should call them alone.
#pragma once

#include "gfx/Mesh.h"
#include "siv/SivFile.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace zamp {

// The Direct3D mesh of one SIV mesh: 16-bit indices below 65535 faces, 32-bit from 65535, the
// first 32 bytes of every vertex, with the compact, vertex-cache optimisation.
// `meshIndex` names the mesh in messages. Throws:
//   "D3DXCreateMeshFVF failed. (File <path>, mesh M: why)"   no faces, no vertices, or more
//                                                 than 65535 vertices with fewer than 65535 faces
//   "File <path>: mesh M face F uses vertex V, but the mesh has N vertices."
//   "OptimizeInPlace() failed"
std::unique_ptr<Mesh> buildSivMesh(const SivMesh& mesh, const std::string& path, std::size_t meshIndex);

// The material record of mesh `meshIndex`: the one its first face names. Throws
// "File <path>: mesh M uses material I, but the file has N materials." when that index is
// outside the material section. The mesh must have faces.
const SivMaterial& sivMeshMaterial(const SivFile& file, std::size_t meshIndex, const std::string& path);

// The texture entries of a file by id, so that each mesh finds its texture without a scan of
// every entry. Only the first entry with an id counts, even when its name is empty.
class SivTextureNames {
public:
    // `file` must outlive this.
    explicit SivTextureNames(const SivFile& file);
    // The texture file that `material` asks for: the name of the first texture entry with its
    // id (a view of the entry's bytes), or an empty name when there is no such entry or its name
    // is empty. Throws "File <path>: texture entry E has a file name with no ending zero byte."
    std::string_view forMaterial(const SivMaterial& material, const std::string& path) const;

private:
    const SivFile& file_;
    std::unordered_map<std::int32_t, std::size_t> firstEntry_;
};

// The mesh material: colours with alpha 1, black emissive, the record's power.
Material sivMaterial(const SivMaterial& record);

} // namespace zamp
