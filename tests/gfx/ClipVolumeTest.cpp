// The clip volume's verdicts on boxes: out only when certainly out, for perspective and
// orthographic projections, mirrored and stretched worlds, boxes around the eye and behind it.
#include "gfx/BoundingBox.h"
#include "gfx/ClipVolume.h"
#include "gfx/D3DXMath.h"
#include "gfx/Mesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zamp {
namespace {

constexpr int kWidth = 256, kHeight = 192;

BoundingBox box(Vec3 centre, Vec3 half) {
    return {{centre.x - half.x, centre.y - half.y, centre.z - half.z},
            {centre.x + half.x, centre.y + half.y, centre.z + half.z},
            true};
}

// The eye at the origin looking along +z; 90 degrees high, 4:3, near 1, far 100.
ClipVolume perspective() {
    return ClipVolume(matrixLookAtLH({0, 0, 0}, {0, 0, 1}, {0, 1, 0}),
                      matrixPerspectiveFovLH(1.5707964f, 4.0f / 3.0f, 1, 100), kWidth, kHeight);
}

// x from -16 to 16, y from -12 to 12 (an eighth of a unit per pixel), z from 1 to 100.
ClipVolume orthographic() {
    return ClipVolume(Matrix::identity(), matrixOrthoOffCenterLH(-16, 16, -12, 12, 1, 100), kWidth, kHeight);
}

const Matrix kIdentity = Matrix::identity();

TEST(BoundingBox, HoldsEveryVertexAndNothingMore) {
    auto mesh = Mesh::create(1, 3, D3DXMESH_SYSTEMMEM);
    mesh->vertices()[0].position = {1, -2, 3};
    mesh->vertices()[1].position = {-4, 5, 0.5f};
    mesh->vertices()[2].position = {2, 0, -6};
    const BoundingBox b = boundingBoxOf(*mesh);
    ASSERT_TRUE(b.bounded);
    EXPECT_EQ(b.min, (Vec3{-4, -2, -6}));
    EXPECT_EQ(b.max, (Vec3{2, 5, 3}));
}

TEST(BoundingBox, IsUnboundedWhenACoordinateIsNotFinite) {
    auto mesh = Mesh::create(1, 3, D3DXMESH_SYSTEMMEM);
    mesh->vertices()[1].position = {0, std::numeric_limits<float>::infinity(), 0};
    EXPECT_FALSE(boundingBoxOf(*mesh).bounded);
    mesh->vertices()[1].position = {std::numeric_limits<float>::quiet_NaN(), 0, 0};
    EXPECT_FALSE(boundingBoxOf(*mesh).bounded);
}

TEST(ClipVolume, KeepsWhatIsInViewAndWhatCrossesAPlane) {
    const ClipVolume v = perspective();
    EXPECT_FALSE(v.excludes(box({0, 0, 10}, {1, 1, 1}), kIdentity));
    EXPECT_FALSE(v.excludes(box({0, 0, 1}, {0.5f, 0.5f, 0.5f}), kIdentity));    // across the near plane
    EXPECT_FALSE(v.excludes(box({0, 0, 100}, {1, 1, 1}), kIdentity));           // across the far plane
    EXPECT_FALSE(v.excludes(box({13.3f, 0, 10}, {1, 1, 1}), kIdentity));        // across the right side
    EXPECT_FALSE(v.excludes(box({0, -10, 10}, {1, 1, 1}), kIdentity));          // across the bottom
    EXPECT_FALSE(v.excludes(box({0, 0, 0}, {1000, 1000, 1000}), kIdentity));    // around the eye
    EXPECT_FALSE(v.excludes(box({0, 0, -5}, {1, 1, 7}), kIdentity));            // from behind into view
}

TEST(ClipVolume, ExcludesWhatIsWhollyBeyondOnePlane) {
    const ClipVolume v = perspective();
    EXPECT_TRUE(v.excludes(box({0, 0, -10}, {1, 1, 1}), kIdentity));      // behind the eye
    EXPECT_TRUE(v.excludes(box({0, 0, 0.5f}, {0.2f, 0.2f, 0.2f}), kIdentity)); // nearer than near
    EXPECT_TRUE(v.excludes(box({0, 0, 120}, {1, 1, 1}), kIdentity));      // beyond far
    EXPECT_TRUE(v.excludes(box({20, 0, 10}, {1, 1, 1}), kIdentity));      // right
    EXPECT_TRUE(v.excludes(box({-20, 0, 10}, {1, 1, 1}), kIdentity));     // left
    EXPECT_TRUE(v.excludes(box({0, 15, 10}, {1, 1, 1}), kIdentity));      // top
    EXPECT_TRUE(v.excludes(box({0, -15, 10}, {1, 1, 1}), kIdentity));     // bottom
    // Beside the eye, behind the near plane and outside the side at once: beyond the left side.
    EXPECT_TRUE(v.excludes(box({-3, 0, 0}, {1, 1, 1}), kIdentity));
}

TEST(ClipVolume, KeepsABoxThatNoOnePlaneHasWhollyOutside) {
    // A square turned 45 degrees beyond the top right corner: out of view, but across the
    // right side and across the top, so no single plane proves it. Kept: the test is
    // conservative.
    const ClipVolume v = orthographic();
    const Matrix turned = matrixMultiply(matrixRotationYawPitchRoll(0, 0, 0.7853982f), matrixTranslation(18, 14, 50));
    EXPECT_FALSE(v.excludes(box({0, 0, 0}, {2, 2, 1}), turned));
    // Moved a little further out it lies wholly beyond the right side.
    EXPECT_TRUE(v.excludes(box({0, 0, 0}, {2, 2, 1}), matrixMultiply(matrixRotationYawPitchRoll(0, 0, 0.7853982f),
                                                                    matrixTranslation(19.1f, 14, 50))));
}

TEST(ClipVolume, TakesTheWorldMatrixWithScaleAndMirroring) {
    const ClipVolume v = perspective();
    const BoundingBox unit = box({0, 0, 0}, {1, 1, 1});
    // Moved right out of view, then stretched along x far enough to come back in.
    EXPECT_TRUE(v.excludes(unit, matrixTranslation(20, 0, 10)));
    EXPECT_FALSE(v.excludes(unit, matrixMultiply(matrixScaling(20, 1, 1), matrixTranslation(20, 0, 10))));
    // A box on +x of its own origin, mirrored to -x: out on the left, not the right.
    const BoundingBox offside = box({30, 0, 0}, {1, 1, 1});
    const Matrix mirrored = matrixMultiply(matrixScaling(-1, 1, 1), matrixTranslation(0, 0, 10));
    EXPECT_TRUE(v.excludes(offside, mirrored));
    EXPECT_FALSE(v.excludes(offside, matrixMultiply(matrixScaling(-1, 1, 1), matrixTranslation(30, 0, 10))));
    // Flattened to nothing along z and put behind the eye: still behind.
    EXPECT_TRUE(v.excludes(unit, matrixMultiply(matrixScaling(1, 1, 0), matrixTranslation(0, 0, -3))));
}

TEST(ClipVolume, WorksForOrthographicProjections) {
    const ClipVolume v = orthographic();
    EXPECT_FALSE(v.excludes(box({15, 0, 50}, {1.5f, 1, 1}), kIdentity));
    EXPECT_TRUE(v.excludes(box({18, 0, 50}, {1.5f, 1, 1}), kIdentity));
    EXPECT_TRUE(v.excludes(box({0, -14, 50}, {1, 1, 1}), kIdentity));
    EXPECT_TRUE(v.excludes(box({0, 0, -3}, {1, 1, 1}), kIdentity)); // behind: no perspective needed
    EXPECT_FALSE(v.excludes(box({0, 0, 0}, {1, 1, 1}), kIdentity)); // across the near plane
}

TEST(ClipVolume, LeavesRoomForAHalfPixelShiftAtTheSides) {
    // An eighth of a unit per pixel: half a pixel is 1/16. Just beyond the right side by less
    // than that is kept; by more, out. The same at the top.
    const ClipVolume v = orthographic();
    EXPECT_FALSE(v.excludes(box({16.04f, 0, 50}, {0.01f, 0.01f, 0.01f}), kIdentity));
    EXPECT_TRUE(v.excludes(box({16.2f, 0, 50}, {0.01f, 0.01f, 0.01f}), kIdentity));
    EXPECT_FALSE(v.excludes(box({-16.04f, 0, 50}, {0.01f, 0.01f, 0.01f}), kIdentity));
    EXPECT_FALSE(v.excludes(box({0, 12.04f, 50}, {0.01f, 0.01f, 0.01f}), kIdentity));
    EXPECT_TRUE(v.excludes(box({0, 12.2f, 50}, {0.01f, 0.01f, 0.01f}), kIdentity));
    // A target of one pixel: the margin is the whole width.
    const ClipVolume tiny(Matrix::identity(), matrixOrthoOffCenterLH(-16, 16, -12, 12, 1, 100), 1, 1);
    EXPECT_TRUE(v.excludes(box({20, 0, 50}, {1, 1, 1}), kIdentity));
    EXPECT_FALSE(tiny.excludes(box({20, 0, 50}, {1, 1, 1}), kIdentity));
    EXPECT_TRUE(tiny.excludes(box({40, 0, 50}, {1, 1, 1}), kIdentity));
}

TEST(ClipVolume, LeavesRoomForRoundingFarFromTheOrigin) {
    // The eye 100000 units out, where single precision steps by 1/128: a box half a unit
    // beyond the left side is kept (the terms of its clip coordinates are that large), one
    // fourteen units beyond is out.
    const ClipVolume v(matrixLookAtLH({100000, 0, 0}, {100000, 0, 1}, {0, 1, 0}),
                       matrixOrthoOffCenterLH(-16, 16, -12, 12, 1, 100), kWidth, kHeight);
    EXPECT_FALSE(v.excludes(box({100000 - 16.5f, 0, 50}, {0.001f, 0.001f, 0.001f}), kIdentity));
    EXPECT_TRUE(v.excludes(box({100000 - 30.0f, 0, 50}, {0.001f, 0.001f, 0.001f}), kIdentity));
    // Near the origin the same half unit is far more than rounding: out.
    EXPECT_TRUE(orthographic().excludes(box({-16.5f, 0, 50}, {0.001f, 0.001f, 0.001f}), kIdentity));
}

TEST(ClipVolume, NeverExcludesWhatItCannotJudge) {
    const ClipVolume v = perspective();
    EXPECT_FALSE(v.excludes(BoundingBox{}, matrixTranslation(0, 0, -50))); // unbounded
    Matrix broken = matrixTranslation(0, 0, -50);
    broken.m[0][0] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(v.excludes(box({0, 0, 0}, {1, 1, 1}), broken));
    Matrix view = Matrix::identity();
    view.m[2][2] = std::numeric_limits<float>::quiet_NaN();
    const ClipVolume brokenView(view, matrixPerspectiveFovLH(1, 1, 1, 100), kWidth, kHeight);
    EXPECT_FALSE(brokenView.excludes(box({0, 0, -50}, {1, 1, 1}), kIdentity));
    broken = matrixTranslation(0, 0, -50);
    broken.m[3][0] = std::numeric_limits<float>::infinity();
    EXPECT_FALSE(v.excludes(box({0, 0, 0}, {1, 1, 1}), broken));
}

} // namespace
} // namespace zamp
