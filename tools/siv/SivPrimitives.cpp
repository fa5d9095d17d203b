#include "SivPrimitives.h"

#include <cmath>
#include <numbers>

namespace zamp::sivtool {

namespace {

Vec3 operator-(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator+(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator*(const Vec3& a, float s) { return {a.x * s, a.y * s, a.z * s}; }
Vec3 cross(const Vec3& a, const Vec3& b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 normalized(const Vec3& v) {
    const float length = std::sqrt(dot(v, v));
    return length > 0 ? v * (1.0f / length) : v;
}

SivVertex makeVertex(const Vec3& position, const Vec3& normal, float u, float v) {
    SivVertex out{};
    out.position = position;
    out.normal = normal;
    out.u = u;
    out.v = v;
    return out;
}

// Appends a triangle wound so that, seen from the side its corners' normals point to, it runs
// clockwise: in a left-handed frame that is cross(b - a, c - a) pointing along the normals.
// Triangles of no area are dropped.
void addTriangle(Geometry& g, std::int32_t a, std::int32_t b, std::int32_t c) {
    const auto& v = g.vertices;
    const Vec3 pa = v[std::size_t(a)].position, pb = v[std::size_t(b)].position, pc = v[std::size_t(c)].position;
    const Vec3 facing = cross(pb - pa, pc - pa);
    if (dot(facing, facing) == 0) return;
    const Vec3 normals = v[std::size_t(a)].normal + v[std::size_t(b)].normal + v[std::size_t(c)].normal;
    if (dot(facing, normals) < 0) std::swap(b, c);
    g.faces.push_back(SivFace{{a, b, c}, 0});
}

// A grid of (columns + 1) x (rows + 1) vertices made by `at(s, t)` for s, t in [0, 1], and two
// triangles per cell.
template <class VertexAt>
void addGrid(Geometry& g, int columns, int rows, VertexAt at) {
    const auto first = static_cast<std::int32_t>(g.vertices.size());
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c <= columns; ++c) g.vertices.push_back(at(float(c) / float(columns), float(r) / float(rows)));
    auto index = [&](int c, int r) { return first + r * (columns + 1) + c; };
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            addTriangle(g, index(c, r), index(c, r + 1), index(c + 1, r + 1));
            addTriangle(g, index(c, r), index(c + 1, r + 1), index(c + 1, r));
        }
}

constexpr float kTwoPi = 2.0f * std::numbers::pi_v<float>;

} // namespace

Geometry makeBox(const Vec3& size, int segments) {
    Geometry g;
    const Vec3 half = size * 0.5f;
    // Each side: its outward normal and the two directions that span it.
    struct Side {
        Vec3 normal, across, up;
    };
    const Side sides[6] = {
        {{0, 0, -1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, 1}, {-1, 0, 0}, {0, 1, 0}}, {{-1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
        {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}},   {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}},  {{0, -1, 0}, {1, 0, 0}, {0, 0, -1}},
    };
    auto scaled = [&](const Vec3& v) { return Vec3{v.x * half.x, v.y * half.y, v.z * half.z}; };
    for (const Side& side : sides) {
        addGrid(g, segments, segments, [&](float s, float t) {
            const Vec3 p = scaled(side.normal + side.across * (2 * s - 1) + side.up * (2 * t - 1));
            return makeVertex(p, side.normal, s, 1 - t);
        });
    }
    return g;
}

Geometry makeSphere(float radius, int segments, int rings) {
    Geometry g;
    // Cells at the poles collapse to triangles; addTriangle drops their empty halves.
    addGrid(g, segments, rings, [&](float s, float t) {
        const float around = kTwoPi * s;
        const float down = std::numbers::pi_v<float> * t;
        // Exact poles and seam, so that the pole cells really collapse and seam vertices share
        // their positions.
        const float ring = (t == 0 || t == 1) ? 0.0f : std::sin(down);
        const float height = t == 0 ? 1.0f : t == 1 ? -1.0f : std::cos(down);
        const float c = s == 1 ? 1.0f : std::cos(around);
        const float z = s == 1 ? 0.0f : std::sin(around);
        const Vec3 n{ring * c, height, ring * z};
        return makeVertex(n * radius, n, s, t);
    });
    return g;
}

Geometry makeTorus(float radius, float tube, int segments, int sides) {
    Geometry g;
    addGrid(g, segments, sides, [&](float s, float t) {
        // Both seams close exactly: angle 2 pi is written as angle 0.
        const float around = s == 1 ? 0.0f : kTwoPi * s;
        const float turn = t == 1 ? 0.0f : kTwoPi * t;
        const Vec3 centre{radius * std::cos(around), 0, radius * std::sin(around)};
        const Vec3 n{std::cos(turn) * std::cos(around), std::sin(turn), std::cos(turn) * std::sin(around)};
        return makeVertex(centre + n * tube, n, s, t);
    });
    return g;
}

Geometry makePlane(float width, float depth, int segments) {
    Geometry g;
    addGrid(g, segments, segments, [&](float s, float t) {
        return makeVertex({(s - 0.5f) * width, 0, (t - 0.5f) * depth}, {0, 1, 0}, s, 1 - t);
    });
    return g;
}

void fillMissingNormals(Geometry& geometry) {
    std::vector<Vec3> sums(geometry.vertices.size());
    for (const SivFace& f : geometry.faces) {
        const Vec3 a = geometry.vertices[std::size_t(f.indices[0])].position;
        const Vec3 b = geometry.vertices[std::size_t(f.indices[1])].position;
        const Vec3 c = geometry.vertices[std::size_t(f.indices[2])].position;
        const Vec3 facing = cross(b - a, c - a); // length is twice the area: the weight
        for (std::int32_t i : f.indices) sums[std::size_t(i)] = sums[std::size_t(i)] + facing;
    }
    for (std::size_t v = 0; v < geometry.vertices.size(); ++v) {
        SivVertex& vertex = geometry.vertices[v];
        if (vertex.normal == Vec3{}) vertex.normal = normalized(sums[v]);
    }
}

} // namespace zamp::sivtool
