// The utility-library mesh in system memory: creation limits, adjacency and the in-place
// optimisation, the last done with meshoptimizer. Drawing is the device's business.
#include "gfx/Mesh.h"

#include <meshoptimizer.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <unordered_map>

namespace zamp {

namespace {

// A 16-bit mesh names at most 65535 vertices: index 0xFFFF is left unused because some
// drivers take it as a strip cut even with primitive restart off, and the utility library
// keeps the same limit for its 16-bit meshes.
constexpr DWORD kMax16BitVertices = 0xFFFF;

// Above this many faces on one vertex the vertex-cache order uses the linear FIFO optimiser.
constexpr std::uint32_t kMaxValenceForFullOptimiser = 256;
constexpr unsigned kFifoCacheSize = 16;

std::uint32_t positionBits(float f) {
    // +0 and -0 compare equal and must land in the same bucket.
    if (f == 0.0f) f = 0.0f;
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

struct PositionKey {
    std::uint32_t x, y, z;
    bool operator==(const PositionKey&) const = default;
};

struct PositionKeyHash {
    std::size_t operator()(const PositionKey& k) const {
        std::uint64_t h = k.x * 0x9E3779B97F4A7C15ull;
        h ^= (h >> 29) ^ (k.y * 0xC2B2AE3D27D4EB4Full);
        h ^= (h >> 31) ^ (k.z * 0x165667B19E3779F9ull);
        return static_cast<std::size_t>(h ^ (h >> 32));
    }
};

bool samePosition(const Vec3& a, const Vec3& b, float epsilon) {
    return std::fabs(a.x - b.x) <= epsilon && std::fabs(a.y - b.y) <= epsilon && std::fabs(a.z - b.z) <= epsilon;
}

// For every vertex the lowest-numbered vertex at the same place, so that two corners can be
// compared by one number. With epsilon 0 "the same place" is exact equality (a NaN position
// matches nothing); with a positive epsilon every component may differ by up to epsilon.
std::vector<DWORD> pointRepresentatives(std::span<const MeshVertex> vertices, float epsilon) {
    const auto count = static_cast<DWORD>(vertices.size());
    std::vector<DWORD> representative(count);
    if (epsilon <= 0.0f) {
        std::unordered_map<PositionKey, DWORD, PositionKeyHash> first;
        first.reserve(count);
        for (DWORD v = 0; v < count; ++v) {
            const Vec3& p = vertices[v].position;
            if (std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.z)) {
                representative[v] = v;
                continue;
            }
            representative[v] = first.try_emplace({positionBits(p.x), positionBits(p.y), positionBits(p.z)}, v)
                                    .first->second;
        }
        return representative;
    }
    // Sweep along x: only vertices within epsilon in x can match.
    std::vector<DWORD> byX(count);
    for (DWORD v = 0; v < count; ++v) byX[v] = v;
    std::sort(byX.begin(), byX.end(), [&](DWORD a, DWORD b) {
        return vertices[a].position.x < vertices[b].position.x ||
               (vertices[a].position.x == vertices[b].position.x && a < b);
    });
    for (DWORD v = 0; v < count; ++v) representative[v] = v;
    for (std::size_t i = 0; i < byX.size(); ++i) {
        const DWORD a = byX[i];
        for (std::size_t j = i + 1; j < byX.size(); ++j) {
            const DWORD b = byX[j];
            if (vertices[b].position.x - vertices[a].position.x > epsilon) break;
            if (!samePosition(vertices[a].position, vertices[b].position, epsilon)) continue;
            const DWORD low = std::min(representative[a], representative[b]);
            representative[a] = std::min(representative[a], low);
            representative[b] = std::min(representative[b], low);
        }
    }
    return representative;
}

std::uint64_t edgeKey(DWORD from, DWORD to) { return (std::uint64_t{from} << 32) | to; }

} // namespace

std::unique_ptr<Mesh> Mesh::create(DWORD faceCount, DWORD vertexCount, DWORD options) {
    if (faceCount == 0 || vertexCount == 0) return nullptr;
    if ((options & D3DXMESH_32BIT) == 0 && vertexCount > kMax16BitVertices) return nullptr;
    return std::unique_ptr<Mesh>(new Mesh(faceCount, vertexCount, options));
}

Mesh::Mesh(DWORD faceCount, DWORD vertexCount, DWORD options)
    : faceCount_(faceCount), options_(options), vertices_(vertexCount), attributes_(faceCount, 0) {
    const std::size_t indexCount = std::size_t{faceCount} * 3;
    if (has32BitIndices())
        indices32_.assign(indexCount, 0);
    else
        indices16_.assign(indexCount, 0);
}

bool Mesh::indicesValid() const {
    const DWORD count = vertexCount();
    if (has32BitIndices())
        return std::all_of(indices32_.begin(), indices32_.end(), [count](std::uint32_t i) { return i < count; });
    return std::all_of(indices16_.begin(), indices16_.end(), [count](std::uint16_t i) { return i < count; });
}

bool Mesh::generateAdjacency(float epsilon, std::vector<DWORD>& adjacency) const {
    if (!indicesValid()) return false;
    const std::vector<DWORD> rep = pointRepresentatives(vertices_, epsilon);
    auto corner = [&](DWORD face, DWORD k) { return rep[index(face * 3 + k)]; };

    // Every directed edge with its face, sorted so that the faces of one edge are together and
    // in face order. A neighbour runs the same edge the other way round.
    struct Edge {
        std::uint64_t key;
        DWORD face;
    };
    std::vector<Edge> edges;
    edges.reserve(std::size_t{faceCount_} * 3);
    for (DWORD f = 0; f < faceCount_; ++f)
        for (DWORD k = 0; k < 3; ++k) edges.push_back({edgeKey(corner(f, k), corner(f, (k + 1) % 3)), f});
    std::sort(edges.begin(), edges.end(),
              [](const Edge& a, const Edge& b) { return a.key < b.key || (a.key == b.key && a.face < b.face); });

    adjacency.assign(std::size_t{faceCount_} * 3, kNoAdjacentFace);
    for (DWORD f = 0; f < faceCount_; ++f) {
        for (DWORD k = 0; k < 3; ++k) {
            const DWORD from = corner(f, k);
            const DWORD to = corner(f, (k + 1) % 3);
            if (from == to) continue; // a collapsed edge borders nothing
            const std::uint64_t wanted = edgeKey(to, from);
            auto it = std::lower_bound(edges.begin(), edges.end(), wanted,
                                       [](const Edge& e, std::uint64_t key) { return e.key < key; });
            // The lowest-numbered other face wins where more than two faces share an edge.
            for (; it != edges.end() && it->key == wanted; ++it) {
                if (it->face != f) {
                    adjacency[std::size_t{f} * 3 + k] = it->face;
                    break;
                }
            }
        }
    }
    return true;
}

bool Mesh::optimizeInPlace(DWORD flags) {
    if (!indicesValid()) return false;
    const bool reorder = (flags & D3DXMESHOPT_VERTEXCACHE) != 0;
    const bool compact = (flags & D3DXMESHOPT_COMPACT) != 0;
    // Every face has attribute 0, so sorting by attribute (implied by the vertex-cache order)
    // changes nothing and the attributes stay as they are.
    if (!reorder && !compact) return true;

    const std::size_t indexCount = std::size_t{faceCount_} * 3;
    const std::size_t vertexCount = vertices_.size();
    std::vector<std::uint32_t> indices(indexCount);
    for (std::size_t i = 0; i < indexCount; ++i) indices[i] = index(static_cast<DWORD>(i));

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

    // Where each old vertex goes: in order of first use for the vertex-cache order, in the old
    // order for compaction alone. Unused vertices are dropped by compaction and otherwise kept
    // after the used ones.
    std::vector<std::uint32_t> remap(vertexCount, std::numeric_limits<std::uint32_t>::max());
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
            if (slot == std::numeric_limits<std::uint32_t>::max()) slot = static_cast<std::uint32_t>(kept++);

    std::vector<MeshVertex> reordered(kept);
    for (std::size_t v = 0; v < vertexCount; ++v)
        if (remap[v] != std::numeric_limits<std::uint32_t>::max()) reordered[remap[v]] = vertices_[v];
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
