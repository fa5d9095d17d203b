// The system-memory mesh: creation limits and the compact, vertex-cache optimisation, in
// place and while a mesh is built.
#include "gfx/Mesh.h"

#include <gtest/gtest.h>
#include <meshoptimizer.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>

using namespace zamp;

namespace {

constexpr DWORD kSystem16 = D3DXMESH_SYSTEMMEM;
constexpr DWORD kSystem32 = D3DXMESH_SYSTEMMEM | D3DXMESH_32BIT;
constexpr DWORD kOptimize = D3DXMESHOPT_COMPACT | D3DXMESHOPT_VERTEXCACHE;

MeshVertex at(float x, float y, float z = 0) { return MeshVertex{{x, y, z}, {0, 0, -1}, x, y}; }

std::unique_ptr<Mesh> makeMesh(const std::vector<MeshVertex>& vertices, const std::vector<std::uint32_t>& indices,
                               DWORD options) {
    auto mesh = Mesh::create(static_cast<DWORD>(indices.size() / 3), static_cast<DWORD>(vertices.size()), options);
    if (!mesh) return nullptr;
    std::copy(vertices.begin(), vertices.end(), mesh->vertices().begin());
    for (std::size_t i = 0; i < indices.size(); ++i) {
        if (mesh->has32BitIndices())
            mesh->indices32()[i] = indices[i];
        else
            mesh->indices16()[i] = static_cast<std::uint16_t>(indices[i]);
    }
    mesh->changed();
    return mesh;
}

using Triangle = std::array<MeshVertex, 3>;

bool lessVertex(const MeshVertex& a, const MeshVertex& b) {
    const auto key = [](const MeshVertex& v) {
        return std::array<float, 8>{v.position.x, v.position.y, v.position.z, v.normal.x, v.normal.y, v.normal.z, v.u, v.v};
    };
    return key(a) < key(b);
}

// Triangles by content, each started at its smallest corner (winding kept), sorted.
std::vector<Triangle> triangleSet(const Mesh& mesh) {
    std::vector<Triangle> out;
    for (DWORD f = 0; f < mesh.faceCount(); ++f) {
        Triangle t{mesh.vertices()[mesh.index(f * 3)], mesh.vertices()[mesh.index(f * 3 + 1)],
                   mesh.vertices()[mesh.index(f * 3 + 2)]};
        std::rotate(t.begin(), std::min_element(t.begin(), t.end(), lessVertex), t.end());
        out.push_back(t);
    }
    std::sort(out.begin(), out.end(), [](const Triangle& a, const Triangle& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), lessVertex);
    });
    return out;
}

// An n x n grid of quads (two faces each) with its faces shuffled.
void shuffledGrid(int n, std::vector<MeshVertex>& vertices, std::vector<std::uint32_t>& indices) {
    for (int y = 0; y <= n; ++y)
        for (int x = 0; x <= n; ++x) vertices.push_back(at(float(x), float(y)));
    std::vector<std::array<std::uint32_t, 3>> faces;
    auto v = [n](int x, int y) { return static_cast<std::uint32_t>(y * (n + 1) + x); };
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            faces.push_back({v(x, y), v(x, y + 1), v(x + 1, y + 1)});
            faces.push_back({v(x, y), v(x + 1, y + 1), v(x + 1, y)});
        }
    std::mt19937 random(1234);
    std::shuffle(faces.begin(), faces.end(), random);
    for (const auto& f : faces) indices.insert(indices.end(), f.begin(), f.end());
}

float cacheMissRatio(const Mesh& mesh) {
    std::vector<std::uint32_t> indices(mesh.faceCount() * 3);
    for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = mesh.index(static_cast<DWORD>(i));
    return meshopt_analyzeVertexCache(indices.data(), indices.size(), mesh.vertexCount(), 16, 0, 0).acmr;
}

class DeviceCopy : public Mesh::DeviceData {};

} // namespace

TEST(Mesh, CreationRefusesEmptyMeshesAndTooManyVerticesFor16BitIndices) {
    EXPECT_EQ(Mesh::create(0, 3, kSystem16), nullptr);
    EXPECT_EQ(Mesh::create(1, 0, kSystem16), nullptr);
    EXPECT_EQ(Mesh::create(0, 0, kSystem32), nullptr);
    EXPECT_EQ(Mesh::create(1, 65536, kSystem16), nullptr);
    ASSERT_NE(Mesh::create(1, 65535, kSystem16), nullptr);
    ASSERT_NE(Mesh::create(1, 65536, kSystem32), nullptr);

    const auto small = Mesh::create(5, 7, kSystem16);
    ASSERT_NE(small, nullptr);
    EXPECT_FALSE(small->has32BitIndices());
    EXPECT_EQ(small->faceCount(), 5u);
    EXPECT_EQ(small->vertexCount(), 7u);
    EXPECT_EQ(small->indices16().size(), 15u);
    EXPECT_TRUE(small->indices32().empty());
    ASSERT_EQ(small->attributes().size(), 5u);
    EXPECT_TRUE(std::all_of(small->attributes().begin(), small->attributes().end(), [](DWORD a) { return a == 0; }));

    const auto wide = Mesh::create(2, 3, kSystem32);
    EXPECT_TRUE(wide->has32BitIndices());
    EXPECT_EQ(wide->indices32().size(), 6u);
    EXPECT_TRUE(wide->indices16().empty());
}

TEST(Mesh, IndicesThatNameNoVertexAreRefused) {
    const std::vector<MeshVertex> vertices = {at(0, 0), at(0, 1), at(1, 1)};
    for (const DWORD options : {kSystem16, kSystem32}) {
        const auto mesh = makeMesh(vertices, {0, 1, 3}, options);
        EXPECT_FALSE(mesh->optimizeInPlace(kOptimize)) << options;
        EXPECT_EQ(Mesh::createOptimized({0, 1, 3}, {vertices.data(), sizeof(MeshVertex), 3}, options, kOptimize), nullptr);
        EXPECT_EQ(mesh->vertexCount(), 3u) << "a refused optimisation leaves the mesh alone";
        EXPECT_EQ(mesh->index(2), 3u);
    }
}

TEST(Mesh, CompactionAloneDropsUnusedVerticesAndKeepsTheOthersInOrder) {
    const std::vector<MeshVertex> vertices = {at(9, 9), at(0, 0), at(0, 1), at(8, 8), at(1, 1), at(1, 0), at(7, 7)};
    const auto mesh = makeMesh(vertices, {1, 2, 4, 1, 4, 5}, kSystem16);
    const auto before = triangleSet(*mesh);
    mesh->deviceData = std::make_unique<DeviceCopy>();
    ASSERT_TRUE(mesh->optimizeInPlace(D3DXMESHOPT_COMPACT));
    EXPECT_EQ(mesh->deviceData, nullptr) << "a changed mesh drops the device's copy";
    ASSERT_EQ(mesh->vertexCount(), 4u);
    EXPECT_EQ(mesh->vertices()[0], vertices[1]);
    EXPECT_EQ(mesh->vertices()[1], vertices[2]);
    EXPECT_EQ(mesh->vertices()[2], vertices[4]);
    EXPECT_EQ(mesh->vertices()[3], vertices[5]);
    EXPECT_EQ(std::vector<std::uint16_t>(mesh->indices16().begin(), mesh->indices16().end()),
              (std::vector<std::uint16_t>{0, 1, 2, 0, 2, 3}));
    EXPECT_EQ(triangleSet(*mesh), before);
}

TEST(Mesh, VertexCacheOrderKeepsTheTrianglesAndImprovesTheCache) {
    for (const DWORD options : {kSystem16, kSystem32}) {
        std::vector<MeshVertex> vertices;
        std::vector<std::uint32_t> indices;
        shuffledGrid(24, vertices, indices);
        vertices.push_back(at(-50, -50)); // unused
        const auto mesh = makeMesh(vertices, indices, options);
        const auto before = triangleSet(*mesh);
        const float missesBefore = cacheMissRatio(*mesh);

        ASSERT_TRUE(mesh->optimizeInPlace(kOptimize));
        EXPECT_EQ(mesh->vertexCount(), 25u * 25u) << options;
        EXPECT_EQ(mesh->faceCount(), 24u * 24u * 2u) << options;
        EXPECT_EQ(triangleSet(*mesh), before) << options;
        EXPECT_LT(cacheMissRatio(*mesh), missesBefore * 0.75f) << options;
        // Vertices follow first use, so the first face names vertices 0, 1 and 2.
        EXPECT_EQ(mesh->index(0), 0u);
        EXPECT_EQ(mesh->index(1), 1u);
        EXPECT_EQ(mesh->index(2), 2u);
        EXPECT_TRUE(std::all_of(mesh->attributes().begin(), mesh->attributes().end(), [](DWORD a) { return a == 0; }));
    }
}

TEST(Mesh, VertexCacheOrderWithoutCompactionKeepsUnusedVerticesAtTheEnd) {
    std::vector<MeshVertex> vertices;
    std::vector<std::uint32_t> indices;
    shuffledGrid(4, vertices, indices);
    vertices.insert(vertices.begin(), at(-1, -1));
    for (auto& i : indices) ++i;
    const auto mesh = makeMesh(vertices, indices, kSystem16);
    const auto before = triangleSet(*mesh);
    ASSERT_TRUE(mesh->optimizeInPlace(D3DXMESHOPT_VERTEXCACHE));
    ASSERT_EQ(mesh->vertexCount(), vertices.size());
    EXPECT_EQ(mesh->vertices().back(), vertices[0]);
    EXPECT_EQ(triangleSet(*mesh), before);
}

TEST(Mesh, OneTriangleRepeatedManyTimesIsOptimisedInLinearTime) {
    // 300000 copies of one triangle: the full optimiser would need minutes here.
    const std::vector<MeshVertex> vertices = {at(0, 0), at(0, 1), at(1, 1), at(5, 5)};
    std::vector<std::uint32_t> indices;
    for (int i = 0; i < 300000; ++i) indices.insert(indices.end(), {2, 0, 1});
    const auto mesh = makeMesh(vertices, indices, kSystem32);
    ASSERT_TRUE(mesh->optimizeInPlace(kOptimize));
    EXPECT_EQ(mesh->vertexCount(), 3u);
    EXPECT_EQ(mesh->faceCount(), 300000u);
    EXPECT_EQ(triangleSet(*mesh), triangleSet(*makeMesh(vertices, indices, kSystem32)));
}

// Building a mesh optimised gives exactly the mesh that filling one and optimising it in
// place gives: scenes load through the first, and their meshes must not change.
TEST(Mesh, BuildingOptimisedEqualsOptimisingInPlace) {
    struct Source {
        const char* name;
        std::vector<MeshVertex> vertices;
        std::vector<std::uint32_t> indices;
    };
    std::vector<Source> sources;
    Source grid{"shuffled grid with an unused vertex", {}, {}};
    shuffledGrid(20, grid.vertices, grid.indices);
    grid.vertices.insert(grid.vertices.begin() + 7, at(-9, -9));
    for (auto& i : grid.indices) i += i >= 7;
    sources.push_back(grid);
    Source repeated{"one triangle shared by many faces", {at(0, 0), at(0, 1), at(1, 1), at(3, 3)}, {}};
    for (int i = 0; i < 400; ++i) repeated.indices.insert(repeated.indices.end(), {2, 0, 1});
    sources.push_back(repeated);
    Source twice{"the same position in two vertices", {at(0, 0), at(0, 1), at(1, 1), at(0, 0), at(1, 0)}, {0, 1, 2, 3, 2, 4}};
    sources.push_back(twice);

    // The file's records are longer than a mesh vertex: 48 bytes with 16 of other data.
    struct Record {
        MeshVertex vertex;
        float other[4] = {7, 7, 7, 7};
    };
    for (const Source& source : sources) {
        std::vector<Record> records;
        for (const MeshVertex& v : source.vertices) records.push_back({v});
        for (const DWORD options : {kSystem16, kSystem32}) {
            for (const DWORD flags : {DWORD(0), DWORD(D3DXMESHOPT_COMPACT), DWORD(D3DXMESHOPT_VERTEXCACHE), kOptimize}) {
                SCOPED_TRACE(std::string(source.name) + ", options " + std::to_string(options) + ", flags " +
                             std::to_string(flags));
                const auto inPlace = makeMesh(source.vertices, source.indices, options);
                ASSERT_TRUE(inPlace->optimizeInPlace(flags));
                const auto built = Mesh::createOptimized(
                    source.indices, {records.data(), sizeof(Record), DWORD(records.size())}, options, flags);
                ASSERT_NE(built, nullptr);
                EXPECT_EQ(built->options(), inPlace->options());
                EXPECT_EQ(built->faceCount(), inPlace->faceCount());
                EXPECT_TRUE(std::ranges::equal(built->vertices(), inPlace->vertices()));
                EXPECT_TRUE(std::ranges::equal(built->indices16(), inPlace->indices16()));
                EXPECT_TRUE(std::ranges::equal(built->indices32(), inPlace->indices32()));
                EXPECT_TRUE(std::ranges::equal(built->attributes(), inPlace->attributes()));
            }
        }
    }
    // What create refuses, building refuses too.
    const std::vector<MeshVertex> none;
    EXPECT_EQ(Mesh::createOptimized({}, {none.data(), sizeof(MeshVertex), 0}, kSystem16, kOptimize), nullptr);
}
