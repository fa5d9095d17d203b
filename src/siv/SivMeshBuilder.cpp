#include "siv/SivMeshBuilder.h"

#include "core/Error.h"

#include <cstddef>
#include <cstring>

namespace zamp {

namespace {

// From this many faces on, a mesh gets 32-bit indices; only the face count decides.
constexpr std::size_t k32BitFaceCount = 65535;

std::string meshMessage(const std::string& path, std::size_t meshIndex, const std::string& text) {
    return "File " + path + ": mesh " + std::to_string(meshIndex) + " " + text;
}

} // namespace

std::unique_ptr<Mesh> buildSivMesh(const SivMesh& source, const std::string& path, std::size_t meshIndex) {
    const std::size_t faceCount = source.faces.size();
    const std::size_t vertexCount = source.vertices.size();
    const DWORD options = faceCount >= k32BitFaceCount ? (D3DXMESH_SYSTEMMEM | D3DXMESH_32BIT) : D3DXMESH_SYSTEMMEM;
    if (!Mesh::canCreate(static_cast<DWORD>(faceCount), static_cast<DWORD>(vertexCount), options)) {
        // The utility library's own words first, then which mesh and why.
        const std::string why = faceCount == 0     ? "it has no faces"
                                : vertexCount == 0 ? "it has no vertices"
                                                   : "it has " + std::to_string(vertexCount) +
                                                         " vertices, more than the 65535 that 16-bit indices "
                                                         "(fewer than 65535 faces) can name";
        throw Error("D3DXCreateMeshFVF failed. (File " + path + ", mesh " + std::to_string(meshIndex) + ": " + why +
                    ".)");
    }

    // An index past the vertices would make a 16-bit mesh keep only its low bits and name some
    // other vertex, or leave the mesh library to fail later without saying where: refuse it
    // here, naming the face.
    std::vector<std::uint32_t> indices(faceCount * 3);
    bool outside = false; // looked for in one pass without branches; the face is found after
    for (std::size_t f = 0; f < faceCount; ++f) {
        for (std::size_t k = 0; k < 3; ++k) {
            const auto index = static_cast<std::uint32_t>(source.faces[f].indices[k]); // negative: huge
            outside |= index >= vertexCount;
            indices[f * 3 + k] = index;
        }
    }
    for (std::size_t f = 0; outside && f < faceCount; ++f) {
        for (std::int32_t index : source.faces[f].indices) {
            if (index < 0 || static_cast<std::size_t>(index) >= vertexCount)
                throw Error(meshMessage(path, meshIndex,
                                  "face " + std::to_string(f) + " uses vertex " + std::to_string(index) +
                                      ", but the mesh has " + std::to_string(vertexCount) + " vertices."));
        }
    }
    // The mesh vertex is the first 32 bytes of the file's: position, normal, u, v. The
    // optimisation reorders by vertex cache alone and needs no face adjacency.
    static_assert(sizeof(MeshVertex) == offsetof(SivVertex, reserved));
    std::unique_ptr<Mesh> mesh =
        Mesh::createOptimized(std::move(indices), {source.vertices.data(), sizeof(SivVertex), static_cast<DWORD>(vertexCount)},
                              options, D3DXMESHOPT_COMPACT | D3DXMESHOPT_VERTEXCACHE);
    if (!mesh) throw Error("OptimizeInPlace() failed");
    return mesh;
}

const SivMaterial& sivMeshMaterial(const SivFile& file, std::size_t meshIndex, const std::string& path) {
    const std::int32_t materialIndex = file.meshes[meshIndex].faces.front().materialIndex;
    if (materialIndex < 0 || static_cast<std::size_t>(materialIndex) >= file.materials.size())
        throw Error(meshMessage(path, meshIndex, "uses material " + std::to_string(materialIndex) +
                                    ", but the file has " + std::to_string(file.materials.size()) + " materials."));
    return file.materials[static_cast<std::size_t>(materialIndex)];
}

SivTextureNames::SivTextureNames(const SivFile& file) : file_(file) {
    firstEntry_.reserve(file.textures.size());
    for (std::size_t e = 0; e < file.textures.size(); ++e) firstEntry_.try_emplace(file.textures[e].textureId, e);
}

std::string_view SivTextureNames::forMaterial(const SivMaterial& material, const std::string& path) const {
    const auto found = firstEntry_.find(material.textureId);
    if (found == firstEntry_.end()) return {};
    const SivTextureEntry& entry = file_.textures[found->second];
    const char* end = static_cast<const char*>(std::memchr(entry.fileName, 0, sizeof entry.fileName));
    if (!end)
        throw Error("File " + path + ": texture entry " + std::to_string(found->second) +
                    " has a file name with no ending zero byte.");
    return std::string_view(entry.fileName, static_cast<std::size_t>(end - entry.fileName));
}

Material sivMaterial(const SivMaterial& record) {
    Material material;
    material.diffuse = {record.diffuse.r, record.diffuse.g, record.diffuse.b, 1.0f};
    material.ambient = {record.ambient.r, record.ambient.g, record.ambient.b, 1.0f};
    material.specular = {record.specular.r, record.specular.g, record.specular.b, 1.0f};
    material.emissive = {0.0f, 0.0f, 0.0f, 0.0f};
    material.power = record.power;
    return material;
}

} // namespace zamp
