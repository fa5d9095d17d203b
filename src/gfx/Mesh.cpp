// The utility-library mesh in system memory: creation limits and the optimisation (in place,
// or while a mesh is built), done with meshoptimizer. Drawing is the device's business.
#include "gfx/Mesh.h"

#include <meshoptimizer.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace zamp {

namespace {

// A 16-bit mesh names at most 65535 vertices: index 0xFFFF is left unused because some
// drivers take it as a strip cut even with primitive restart off, and the utility library
// keeps the same limit for its 16-bit meshes.
constexpr DWORD kMax16BitVertices = 0xFFFF;

// Above this many faces on one vertex the vertex-cache order uses the linear FIFO optimiser.
constexpr std::uint32_t kMaxValenceForFullOptimiser = 256;
constexpr unsigned kFifoCacheSize = 16;

constexpr std::uint32_t kNoSlot = std::numeric_limits<std::uint32_t>::max();

// The optimisation's plan: `indices` (three per face) are put in vertex-cache order when
// asked, and `remap` says where each old vertex goes: in order of first use for the
// vertex-cache order, in the old order for compaction alone. Unused vertices are dropped by
// compaction (kNoSlot) and otherwise kept after the used ones. Returns the vertices kept.
std::size_t planOptimisation(std::vector<std::uint32_t>& indices, std::size_t vertexCount, DWORD flags,
                             std::vector<std::uint32_t>& remap) {
    const bool reorder = (flags & D3DXMESHOPT_VERTEXCACHE) != 0;
    const bool compact = (flags & D3DXMESHOPT_COMPACT) != 0;
    const std::size_t indexCount = indices.size();
    if (reorder) {
        // The full optimiser rescans the faces of every vertex it touches, which is quadratic
        // for a vertex that thousands of faces share (a file can repeat one triangle a million
        // times). Such meshes get the linear FIFO order instead; real meshes never come near.
        std::vector<std::uint32_t> valence(vertexCount, 0);
        std::uint32_t highest = 0;
        for (std::uint32_t i : indices) highest = std::max(highest, ++valence[i]);
        if (highest <= kMaxValenceForFullOptimiser)
            meshopt_optimizeVertexCache(indices.data(), indices.data(), indexCount, vertexCount);
        else
            meshopt_optimizeVertexCacheFifo(indices.data(), indices.data(), indexCount, vertexCount, kFifoCacheSize);
    }

    remap.assign(vertexCount, kNoSlot);
    std::size_t used;
    if (reorder) {
        used = meshopt_optimizeVertexFetchRemap(remap.data(), indices.data(), indexCount, vertexCount);
    } else {
        std::vector<bool> isUsed(vertexCount, false);
        for (std::uint32_t i : indices) isUsed[i] = true;
        used = 0;
        for (std::size_t v = 0; v < vertexCount; ++v)
            if (isUsed[v]) remap[v] = static_cast<std::uint32_t>(used++);
    }
    std::size_t kept = used;
    if (!compact)
        for (auto& slot : remap)
            if (slot == kNoSlot) slot = static_cast<std::uint32_t>(kept++);
    return kept;
}

} // namespace

bool Mesh::canCreate(DWORD faceCount, DWORD vertexCount, DWORD options) {
    if (faceCount == 0 || vertexCount == 0) return false;
    return (options & D3DXMESH_32BIT) != 0 || vertexCount <= kMax16BitVertices;
}

std::unique_ptr<Mesh> Mesh::create(DWORD faceCount, DWORD vertexCount, DWORD options) {
    if (!canCreate(faceCount, vertexCount, options)) return nullptr;
    return std::unique_ptr<Mesh>(new Mesh(faceCount, vertexCount, options));
}

std::unique_ptr<Mesh> Mesh::createOptimized(std::vector<std::uint32_t> indices, VertexRecords records, DWORD options,
                                            DWORD flags) {
    if (!canCreate(static_cast<DWORD>(indices.size() / 3), records.count, options)) return nullptr;
    if (!std::all_of(indices.begin(), indices.end(), [&](std::uint32_t i) { return i < records.count; })) return nullptr;
    std::vector<std::uint32_t> remap;
    std::size_t kept = records.count;
    if (flags & (D3DXMESHOPT_VERTEXCACHE | D3DXMESHOPT_COMPACT)) {
        kept = planOptimisation(indices, records.count, flags, remap);
    } else {
        remap.resize(records.count);
        for (std::uint32_t v = 0; v < records.count; ++v) remap[v] = v;
    }
    // Each kept vertex is copied once, straight to its place.
    std::vector<std::uint32_t> source(kept);
    for (std::uint32_t v = 0; v < records.count; ++v)
        if (remap[v] != kNoSlot) source[remap[v]] = v;
    std::vector<MeshVertex> vertices;
    vertices.reserve(kept);
    const auto* bytes = static_cast<const unsigned char*>(records.data);
    for (std::uint32_t v : source) {
        MeshVertex vertex;
        std::memcpy(&vertex, bytes + std::size_t{v} * records.stride, sizeof vertex);
        vertices.push_back(vertex);
    }
    return std::unique_ptr<Mesh>(new Mesh(options, std::move(vertices), indices, remap));
}

Mesh::Mesh(DWORD faceCount, DWORD vertexCount, DWORD options)
    : faceCount_(faceCount), options_(options), vertices_(vertexCount), attributes_(faceCount, 0) {
    const std::size_t indexCount = std::size_t{faceCount} * 3;
    if (has32BitIndices())
        indices32_.assign(indexCount, 0);
    else
        indices16_.assign(indexCount, 0);
}

Mesh::Mesh(DWORD options, std::vector<MeshVertex> vertices, const std::vector<std::uint32_t>& indices,
           const std::vector<std::uint32_t>& remap)
    : faceCount_(static_cast<DWORD>(indices.size() / 3)), options_(options), vertices_(std::move(vertices)),
      attributes_(faceCount_, 0) {
    if (has32BitIndices()) {
        indices32_.resize(indices.size());
        for (std::size_t i = 0; i < indices.size(); ++i) indices32_[i] = remap[indices[i]];
    } else {
        // The kept vertices number no more than a 16-bit mesh may have.
        indices16_.resize(indices.size());
        for (std::size_t i = 0; i < indices.size(); ++i) indices16_[i] = static_cast<std::uint16_t>(remap[indices[i]]);
    }
}

bool Mesh::indicesValid() const {
    const DWORD count = vertexCount();
    if (has32BitIndices())
        return std::all_of(indices32_.begin(), indices32_.end(), [count](std::uint32_t i) { return i < count; });
    return std::all_of(indices16_.begin(), indices16_.end(), [count](std::uint16_t i) { return i < count; });
}

bool Mesh::optimizeInPlace(DWORD flags) {
    if (!indicesValid()) return false;
    // Every face has attribute 0, so sorting by attribute (implied by the vertex-cache order)
    // changes nothing and the attributes stay as they are.
    if ((flags & (D3DXMESHOPT_VERTEXCACHE | D3DXMESHOPT_COMPACT)) == 0) return true;

    const std::size_t indexCount = std::size_t{faceCount_} * 3;
    const std::size_t vertexCount = vertices_.size();
    std::vector<std::uint32_t> indices(indexCount);
    for (std::size_t i = 0; i < indexCount; ++i) indices[i] = index(static_cast<DWORD>(i));
    std::vector<std::uint32_t> remap;
    const std::size_t kept = planOptimisation(indices, vertexCount, flags, remap);

    std::vector<MeshVertex> reordered(kept);
    for (std::size_t v = 0; v < vertexCount; ++v)
        if (remap[v] != kNoSlot) reordered[remap[v]] = vertices_[v];
    vertices_ = std::move(reordered);

    if (has32BitIndices()) {
        for (std::size_t i = 0; i < indexCount; ++i) indices32_[i] = remap[indices[i]];
    } else {
        // kept <= the old vertex count, which a 16-bit mesh keeps within 16 bits.
        for (std::size_t i = 0; i < indexCount; ++i) indices16_[i] = static_cast<std::uint16_t>(remap[indices[i]]);
    }
    changed();
    return true;
}

} // namespace zamp
