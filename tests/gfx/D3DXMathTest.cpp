// Matrix helpers against hand-computed Direct3D results.
#include "gfx/D3DXMath.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zamp {
namespace {

void expectPoint(const Vec4& p, float x, float y, float z, float w, float tol = 1e-5f) {
    EXPECT_NEAR(p.r, x, tol);
    EXPECT_NEAR(p.g, y, tol);
    EXPECT_NEAR(p.b, z, tol);
    EXPECT_NEAR(p.a, w, tol);
}

TEST(D3DXMath, OrthoOfTheCanvasMapsItsCorners) {
    Matrix m = matrixOrthoOffCenterLH(0, 1024, 0, 768, 0, 1);
    EXPECT_FLOAT_EQ(m.m[0][0], 1 / 512.0f);
    EXPECT_FLOAT_EQ(m.m[1][1], 1 / 384.0f);
    EXPECT_FLOAT_EQ(m.m[3][0], -1);
    EXPECT_FLOAT_EQ(m.m[3][1], -1);
    EXPECT_FLOAT_EQ(m.m[3][2], 0);
    expectPoint(transformPoint({0, 0, 0}, m), -1, -1, 0, 1);
    expectPoint(transformPoint({1024, 768, 1}, m), 1, 1, 1, 1);
}

TEST(D3DXMath, RollTurnsCounterClockwiseWithYUp) {
    Matrix r = matrixRotationYawPitchRoll(0, 0, float(M_PI / 2));
    expectPoint(transformPoint({1, 0, 0}, r), 0, 1, 0, 1);
    // Yaw about y, pitch about x, applied after roll.
    Matrix yaw = matrixRotationYawPitchRoll(float(M_PI / 2), 0, 0);
    expectPoint(transformPoint({0, 0, 1}, yaw), 1, 0, 0, 1);
    Matrix pitch = matrixRotationYawPitchRoll(0, float(M_PI / 2), 0);
    expectPoint(transformPoint({0, 1, 0}, pitch), 0, 0, 1, 1);
}

TEST(D3DXMath, ProductOrderActsLeftFirst) {
    Matrix rt = matrixMultiply(matrixRotationYawPitchRoll(0, 0, float(M_PI / 2)), matrixTranslation(10, 0, 0));
    expectPoint(transformPoint({1, 0, 0}, rt), 10, 1, 0, 1); // rotate, then move
}

TEST(D3DXMath, PerspectiveTakesTheFieldOfViewInRadians) {
    Matrix p = matrixPerspectiveFovLH(45.0f, 1.3333334f, 1, 100000);
    EXPECT_NEAR(p.m[1][1], 1.7925910f, 1e-5);
    EXPECT_NEAR(p.m[0][0], 1.3444432f, 1e-5);
    EXPECT_EQ(p.m[2][3], 1.0f);
    EXPECT_NEAR(p.m[2][2], 100000.0f / 99999.0f, 1e-6);
    EXPECT_NEAR(p.m[3][2], -100000.0f / 99999.0f, 1e-5);
}

TEST(D3DXMath, LookAtPutsTheTargetOnThePositiveZAxis) {
    Matrix v = matrixLookAtLH({0, 0, -10}, {0, 0, 0}, {0, 1, 0});
    expectPoint(transformPoint({0, 0, 0}, v), 0, 0, 10, 1);
    expectPoint(transformPoint({1, 2, 0}, v), 1, 2, 10, 1);
    // Looking along +x from the origin: +z of the world is to the left (-x in view space).
    Matrix side = matrixLookAtLH({0, 0, 0}, {1, 0, 0}, {0, 1, 0});
    expectPoint(transformPoint({0, 0, 1}, side), -1, 0, 0, 1);
}

TEST(D3DXMath, QuaternionRotationAndNormalMatrix) {
    float h = std::sqrt(0.5f);
    Matrix q = matrixRotationQuaternion({0, h, 0, h}); // a quarter turn about y
    expectPoint(transformPoint({0, 0, 1}, q), 1, 0, 0, 1);
    // The normal matrix undoes a non-uniform scale's effect on normals; a singular matrix
    // comes back unchanged.
    Matrix s = matrixScaling(2, 1, 1);
    Matrix n = normalMatrix(s);
    EXPECT_FLOAT_EQ(n.m[0][0], 0.5f);
    EXPECT_FLOAT_EQ(n.m[1][1], 1.0f);
    Matrix flat = matrixScaling(3, 3, 0);
    EXPECT_EQ(normalMatrix(flat), flat);
}

} // namespace
} // namespace zamp
