// The built-in shapes: sizes, counts, and faces that face outwards with unit normals, so that
// a scene drawn with counter-clockwise culling shows their outsides.
#include "SivPrimitives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

using namespace zamp;
using namespace zamp::sivtool;

namespace {

Vec3 sub(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 cross(const Vec3& a, const Vec3& b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Checks every face: indices in range, some area, and clockwise as seen from the side that
// `outside(centroid)` points to (left-handed: cross(b - a, c - a) points towards the viewer).
void expectOutwardFaces(const Geometry& g, const std::function<Vec3(const Vec3&)>& outside, const char* what) {
    ASSERT_FALSE(g.faces.empty()) << what;
    for (std::size_t f = 0; f < g.faces.size(); ++f) {
        const auto& idx = g.faces[f].indices;
        for (int k = 0; k < 3; ++k) ASSERT_LT(std::size_t(idx[k]), g.vertices.size()) << what;
        const Vec3 a = g.vertices[std::size_t(idx[0])].position;
        const Vec3 b = g.vertices[std::size_t(idx[1])].position;
        const Vec3 c = g.vertices[std::size_t(idx[2])].position;
        const Vec3 centroid{(a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3, (a.z + b.z + c.z) / 3};
        const Vec3 facing = cross(sub(b, a), sub(c, a));
        EXPECT_GT(dot(facing, facing), 0.0f) << what << " face " << f;
        EXPECT_GT(dot(facing, outside(centroid)), 0.0f) << what << " face " << f << " faces inwards";
    }
    for (const SivVertex& v : g.vertices) {
        EXPECT_NEAR(dot(v.normal, v.normal), 1.0f, 1e-5f) << what;
        EXPECT_GE(v.u, 0.0f);
        EXPECT_LE(v.u, 1.0f);
        EXPECT_GE(v.v, 0.0f);
        EXPECT_LE(v.v, 1.0f);
    }
}

} // namespace

TEST(SivPrimitives, BoxesHaveSixGridSidesFacingOut) {
    const Geometry one = makeBox({2, 4, 6}, 1);
    EXPECT_EQ(one.vertices.size(), 24u);
    EXPECT_EQ(one.faces.size(), 12u);
    for (const SivVertex& v : one.vertices) {
        EXPECT_FLOAT_EQ(std::fabs(v.position.x), 1);
        EXPECT_FLOAT_EQ(std::fabs(v.position.y), 2);
        EXPECT_FLOAT_EQ(std::fabs(v.position.z), 3);
    }
    // Outward for a box centred on the origin: the direction to the centroid from the centre.
    expectOutwardFaces(one, [](const Vec3& c) { return c; }, "box");
    const Geometry three = makeBox({1, 1, 1}, 3);
    EXPECT_EQ(three.vertices.size(), 6u * 16u);
    EXPECT_EQ(three.faces.size(), 6u * 18u);
    expectOutwardFaces(three, [](const Vec3& c) { return c; }, "box of 3 segments");
}

TEST(SivPrimitives, SpheresHaveTheirRadiusAndNoEmptyPoleFaces) {
    const Geometry g = makeSphere(2.5f, 12, 6);
    EXPECT_EQ(g.vertices.size(), 13u * 7u);
    // Two faces per cell, minus one collapsed face per cell in each of the two pole rows.
    EXPECT_EQ(g.faces.size(), 12u * 6u * 2u - 2u * 12u);
    for (const SivVertex& v : g.vertices) {
        EXPECT_NEAR(std::sqrt(dot(v.position, v.position)), 2.5f, 1e-5f);
        EXPECT_NEAR(dot(v.normal, v.position), 2.5f, 1e-4f) << "normals point straight out";
    }
    expectOutwardFaces(g, [](const Vec3& c) { return c; }, "sphere");
}

TEST(SivPrimitives, ToriFaceAwayFromTheirTubesCentre) {
    const float radius = 3, tube = 1;
    const Geometry g = makeTorus(radius, tube, 16, 8);
    EXPECT_EQ(g.vertices.size(), 17u * 9u);
    EXPECT_EQ(g.faces.size(), 16u * 8u * 2u);
    expectOutwardFaces(
        g,
        [&](const Vec3& c) {
            const float around = std::sqrt(c.x * c.x + c.z * c.z);
            const Vec3 centre{c.x / around * radius, 0, c.z / around * radius};
            return sub(c, centre);
        },
        "torus");
}

TEST(SivPrimitives, PlanesFaceUp) {
    const Geometry g = makePlane(4, 2, 2);
    EXPECT_EQ(g.vertices.size(), 9u);
    EXPECT_EQ(g.faces.size(), 8u);
    for (const SivVertex& v : g.vertices) {
        EXPECT_LE(std::fabs(v.position.x), 2.0f);
        EXPECT_LE(std::fabs(v.position.z), 1.0f);
        EXPECT_EQ(v.position.y, 0.0f);
    }
    expectOutwardFaces(g, [](const Vec3&) { return Vec3{0, 1, 0}; }, "plane");
}

TEST(SivPrimitives, MissingNormalsComeFromTheFaces) {
    Geometry g;
    for (const Vec3 p : {Vec3{0, 0, 0}, Vec3{0, 1, 0}, Vec3{1, 1, 0}, Vec3{1, 0, 0}}) {
        SivVertex v{};
        v.position = p;
        g.vertices.push_back(v);
    }
    g.vertices[3].normal = {1, 0, 0}; // given normals stay
    g.faces = {SivFace{{0, 1, 2}, 0}, SivFace{{0, 2, 3}, 0}};
    fillMissingNormals(g);
    // Clockwise seen from -z: the faces look towards -z.
    EXPECT_EQ(g.vertices[0].normal, (Vec3{0, 0, -1}));
    EXPECT_EQ(g.vertices[1].normal, (Vec3{0, 0, -1}));
    EXPECT_EQ(g.vertices[3].normal, (Vec3{1, 0, 0}));
}

// Each side of a box shows the whole picture the right way up and unmirrored from outside:
// u grows to the viewer's right, v downwards (towards -y on the upright sides; on the top
// towards the front, -z, and on the bottom towards the back, +z).
TEST(SivPrimitives, EverySideOfABoxShowsTheWholePictureUprightFromOutside) {
    for (int segments : {1, 2}) {
        const Geometry box = makeBox({2, 4, 6}, segments);
        struct Side {
            Vec3 normal, down; // where v grows
            const char* name;
        };
        const Side sides[] = {{{0, 0, -1}, {0, -1, 0}, "front"}, {{0, 0, 1}, {0, -1, 0}, "back"},
                              {{-1, 0, 0}, {0, -1, 0}, "left"},  {{1, 0, 0}, {0, -1, 0}, "right"},
                              {{0, 1, 0}, {0, 0, -1}, "top"},    {{0, -1, 0}, {0, 0, 1}, "bottom"}};
        for (const Side& side : sides) {
            SCOPED_TRACE(std::string(side.name) + " side, " + std::to_string(segments) + " segments");
            float uLeast = 2, uMost = -1, vLeast = 2, vMost = -1;
            for (const SivVertex& v : box.vertices)
                if (dot(v.normal, side.normal) > 0.99f) {
                    uLeast = std::min(uLeast, v.u), uMost = std::max(uMost, v.u);
                    vLeast = std::min(vLeast, v.v), vMost = std::max(vMost, v.v);
                }
            EXPECT_EQ(uLeast, 0.0f);
            EXPECT_EQ(uMost, 1.0f);
            EXPECT_EQ(vLeast, 0.0f);
            EXPECT_EQ(vMost, 1.0f);
            int facesOfSide = 0;
            for (const SivFace& face : box.faces) {
                const SivVertex& a = box.vertices[std::size_t(face.indices[0])];
                const SivVertex& b = box.vertices[std::size_t(face.indices[1])];
                const SivVertex& c = box.vertices[std::size_t(face.indices[2])];
                if (dot(a.normal, side.normal) < 0.99f) continue;
                ++facesOfSide;
                // The directions in which u and v grow across the triangle.
                const Vec3 e1 = sub(b.position, a.position), e2 = sub(c.position, a.position);
                const float du1 = b.u - a.u, dv1 = b.v - a.v, du2 = c.u - a.u, dv2 = c.v - a.v;
                const float r = 1 / (du1 * dv2 - du2 * dv1);
                const Vec3 uGrows{(e1.x * dv2 - e2.x * dv1) * r, (e1.y * dv2 - e2.y * dv1) * r, (e1.z * dv2 - e2.z * dv1) * r};
                const Vec3 vGrows{(e2.x * du1 - e1.x * du2) * r, (e2.y * du1 - e1.y * du2) * r, (e2.z * du1 - e1.z * du2) * r};
                EXPECT_GT(dot(vGrows, side.down), 0.0f) << "upside down";
                EXPECT_NEAR(dot(uGrows, side.normal), 0.0f, 1e-5f);
                // Seen from outside, right then down turns towards the viewer: not mirrored.
                EXPECT_GT(dot(cross(uGrows, vGrows), side.normal), 0.0f) << "mirrored";
            }
            EXPECT_EQ(facesOfSide, 2 * segments * segments);
        }
    }
}
