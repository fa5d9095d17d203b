// The triangle mesh of the Direct3D utility library as the player uses it: 32-byte vertices
// (position, normal, u, v), 16- or 32-bit indices, one attribute per face. The mesh lives in
// system memory; a device that draws it keeps its own GPU copy in `deviceData`, made at the
// first draw after the mesh last changed.
#pragma once

#include "gfx/D3DTypes.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace zamp {

struct MeshVertex {
    Vec3 position;
    Vec3 normal;
    float u = 0, v = 0;
    bool operator==(const MeshVertex&) const = default;
};
static_assert(sizeof(MeshVertex) == 32);

class Mesh {
public:
    // Whatever a device keeps for a mesh it has drawn.
    class DeviceData {
    public:
        virtual ~DeviceData() = default;
    };

    // D3DXCreateMeshFVF with the vertex format 0x112: null when the mesh cannot be made
    // (no faces, no vertices, or more vertices than 16-bit indices can name).
    static std::unique_ptr<Mesh> create(DWORD faceCount, DWORD vertexCount, DWORD options);
    static bool canCreate(DWORD faceCount, DWORD vertexCount, DWORD options);

    // The vertices of a mesh being built: vertex v is the MeshVertex at the start of the
    // `stride`-byte record v of `data` (a file's records may carry more after it).
    struct VertexRecords {
        const void* data;
        std::size_t stride;
        DWORD count;
    };
    // What create, filling in `indices` (three per face) and `vertices`, and
    // optimizeInPlace(flags) give, byte for byte, without the copies in between. Null when
    // create would fail or an index names no vertex.
    static std::unique_ptr<Mesh> createOptimized(std::vector<std::uint32_t> indices, VertexRecords vertices,
                                                 DWORD options, DWORD flags);

    DWORD faceCount() const { return faceCount_; }
    DWORD vertexCount() const { return static_cast<DWORD>(vertices_.size()); }
    DWORD options() const { return options_; }
    bool has32BitIndices() const { return (options_ & D3DXMESH_32BIT) != 0; }

    // Writable views; the caller must call `changed` after writing so that devices refresh.
    std::span<MeshVertex> vertices() { return vertices_; }
    std::span<std::uint16_t> indices16() { return indices16_; }
    std::span<std::uint32_t> indices32() { return indices32_; }
    std::span<const MeshVertex> vertices() const { return vertices_; }
    std::span<const std::uint16_t> indices16() const { return indices16_; }
    std::span<const std::uint32_t> indices32() const { return indices32_; }
    std::span<const DWORD> attributes() const { return attributes_; }
    DWORD index(DWORD i) const { return has32BitIndices() ? indices32_[i] : indices16_[i]; }
    void changed() { deviceData.reset(); }

    // D3DXMESHOPT_COMPACT drops unused vertices; D3DXMESHOPT_VERTEXCACHE reorders faces and
    // vertices for the post-transform cache. False when an index names no vertex.
    bool optimizeInPlace(DWORD flags);

    mutable std::unique_ptr<DeviceData> deviceData;

private:
    Mesh(DWORD faceCount, DWORD vertexCount, DWORD options);
    Mesh(DWORD options, std::vector<MeshVertex> vertices, const std::vector<std::uint32_t>& indices,
         const std::vector<std::uint32_t>& remap);
    bool indicesValid() const;

    DWORD faceCount_;
    DWORD options_;
    std::vector<MeshVertex> vertices_;
    std::vector<std::uint16_t> indices16_;
    std::vector<std::uint32_t> indices32_;
    std::vector<DWORD> attributes_;
};

} // namespace zamp
