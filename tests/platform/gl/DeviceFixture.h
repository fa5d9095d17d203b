// The OpenGL device on a small offscreen target whose projection makes screen pixels the
// units: what a vertex says is where it lands. Shared by the device's pixel tests.
#pragma once

#include "gfx/D3DXMath.h"
#include "gfx/Mesh.h"
#include "platform/gl/GlDevice.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace zamp::test {

inline constexpr int kTargetSize = 64;

struct DeviceOnTarget {
    OffscreenGl gl{kTargetSize, kTargetSize};
    GlDevice& d = gl.glDevice();
    std::vector<std::unique_ptr<Mesh>> meshes;

    DeviceOnTarget() {
        // Screen pixels as units, y down, depth 0..10.
        d.setTransform(D3DTS_PROJECTION, matrixOrthoOffCenterLH(0, kTargetSize, kTargetSize, 0, 0, 10));
        d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1, 0);
    }

    // A quad of four corners (top-left, top-right, bottom-right, bottom-left on the screen),
    // wound clockwise there (a front face) unless `counterClockwise`.
    const Mesh& quad(const std::array<MeshVertex, 4>& corners, bool counterClockwise = false) {
        auto m = Mesh::create(2, 4, D3DXMESH_SYSTEMMEM);
        std::copy(corners.begin(), corners.end(), m->vertices().begin());
        const std::uint16_t cw[] = {0, 1, 2, 0, 2, 3}, ccw[] = {0, 2, 1, 0, 3, 2};
        std::copy_n(counterClockwise ? ccw : cw, 6, m->indices16().begin());
        m->changed();
        meshes.push_back(std::move(m));
        return *meshes.back();
    }
    // A rectangle at depth z with the normal n and texture coordinates u0..u1, v0..v1.
    const Mesh& rect(float x0, float y0, float x1, float y1, float z = 1, Vec3 n = {0, 0, -1},
                     bool counterClockwise = false, float u0 = 0, float v0 = 0, float u1 = 1, float v1 = 1) {
        return quad({MeshVertex{{x0, y0, z}, n, u0, v0}, MeshVertex{{x1, y0, z}, n, u1, v0},
                     MeshVertex{{x1, y1, z}, n, u1, v1}, MeshVertex{{x0, y1, z}, n, u0, v1}},
                    counterClockwise);
    }
    // A rectangle of 0.2 pixels around the centre of pixel (x, y): per-vertex lighting and fog
    // then give that pixel the value at one point.
    const Mesh& dot(int x, int y, float z = 1, Vec3 n = {0, 0, -1}) {
        return rect(x - 0.1f, y - 0.1f, x + 0.1f, y + 0.1f, z, n);
    }
    void material(Vec4 diffuse, Vec4 ambient = {}, Vec4 emissive = {}) {
        Material m{};
        m.diffuse = diffuse, m.ambient = ambient, m.emissive = emissive;
        d.setMaterial(m);
    }
    Rgb probe(int x, int y) { return pixelAt(d.readRenderTarget(), x, y); }
    // GL calls the device makes for one more draw of `mesh`.
    std::uint64_t drawCost(const Mesh& mesh) {
        const std::uint64_t before = d.counters().backendCalls;
        d.drawSubset(mesh, 0);
        return d.counters().backendCalls - before;
    }
};

struct DeviceFixture : ::testing::Test, DeviceOnTarget {};

inline ::testing::AssertionResult rgbNear(Rgb actual, Rgb expected) {
    if (near(actual, expected, 2)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << describe(actual) << ", expected " << describe(expected);
}

} // namespace zamp::test

// Within two 8-bit steps of (r, g, b) on every channel; further messages may be streamed.
#define EXPECT_RGB(actual, ...) EXPECT_TRUE(::zamp::test::rgbNear((actual), ::zamp::test::Rgb{__VA_ARGS__}))
