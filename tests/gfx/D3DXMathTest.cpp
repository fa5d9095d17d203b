// Matrix helpers against hand-computed Direct3D results.
#include "gfx/D3DXMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

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

void expectMatrix(const Matrix& actual, const float (&expected)[4][4], float tol = 1e-5f) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(actual.m[r][c], expected[r][c], tol) << "_" << r + 1 << c + 1;
}

// v rotated by the unit quaternion q as q v q* (Hamilton products), apart from any matrix.
Vec3 rotatedByQuaternion(const Vec3& v, const Quaternion& q) {
    auto mul = [](const Quaternion& a, const Quaternion& b) {
        return Quaternion{a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
                          a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
    };
    const Quaternion r = mul(mul(q, {v.x, v.y, v.z, 0}), {-q.x, -q.y, -q.z, q.w});
    return {r.x, r.y, r.z};
}

TEST(D3DXMath, EveryQuaternionTermRotatesAsTheQuaternionDoes) {
    // An asymmetric unit quaternion: every term of the matrix has its own value, so a sign,
    // a swapped component or a transposed entry shows.
    const Quaternion q{0.18257418f, 0.36514837f, 0.54772256f, 0.73029674f}; // (1, 2, 3, 4) / sqrt(30)
    const Matrix m = matrixRotationQuaternion(q);
    for (const Vec3& v : {Vec3{1, 0, 0}, Vec3{0, 1, 0}, Vec3{0, 0, 1}, Vec3{0.3f, -1.7f, 2.2f}}) {
        SCOPED_TRACE(::testing::Message() << v.x << ", " << v.y << ", " << v.z);
        const Vec3 expected = rotatedByQuaternion(v, q);
        expectPoint(transformPoint(v, m), expected.x, expected.y, expected.z, 1);
    }
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(m.m[k][3], 0.0f);
        EXPECT_EQ(m.m[3][k], 0.0f);
    }
    EXPECT_EQ(m.m[3][3], 1.0f);

    // Not normalised first: every term is quadratic in q, so a quaternion s times as long
    // gives I + s^2 (M - I).
    const Matrix twice = matrixRotationQuaternion({2 * q.x, 2 * q.y, 2 * q.z, 2 * q.w});
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            const float identity = r == c ? 1.0f : 0.0f;
            EXPECT_NEAR(twice.m[r][c], identity + 4 * (m.m[r][c] - identity), 1e-5f) << r << c;
        }
}

TEST(D3DXMath, EveryEntryOfTheBuildersAsDocumented) {
    // Asymmetric arguments; the entries a builder leaves alone keep their documented 0 or 1
    // (a perspective matrix has 0 at _44, not the identity's 1).
    struct Case {
        const char* name;
        Matrix actual;
        float expected[4][4];
    } cases[] = {
        {"scaling", matrixScaling(2, -3, 0.5f), {{2, 0, 0, 0}, {0, -3, 0, 0}, {0, 0, 0.5f, 0}, {0, 0, 0, 1}}},
        {"translation", matrixTranslation(4, -5, 6), {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {4, -5, 6, 1}}},
        {"ortho off-centre", matrixOrthoOffCenterLH(-2, 6, 1, 5, 0.5f, 4.5f),
         {{0.25f, 0, 0, 0}, {0, 0.5f, 0, 0}, {0, 0, 0.25f, 0}, {-0.5f, -1.5f, -0.125f, 1}}},
        {"perspective", matrixPerspectiveFovLH(1.2f, 1.5f, 2, 50),
         {{0.97446396f, 0, 0, 0}, {0, 1.46169595f, 0, 0}, {0, 0, 1.04166667f, 1}, {0, 0, -2.08333333f, 0}}},
        {"identity", Matrix::identity(), {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}},
        {"a matrix before anything is set", Matrix{}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        expectMatrix(c.actual, c.expected);
    }
}

TEST(D3DXMath, LookAtFromAnyPointIsARigidMoveOntoTheZAxis) {
    const Vec3 eye{3, -2, 7}, at{-1, 4, 2}, up{0.2f, 1, 0.3f};
    const Matrix v = matrixLookAtLH(eye, at, up);
    expectPoint(transformPoint(eye, v), 0, 0, 0, 1);
    const float distance = std::sqrt(16.0f + 36 + 25);
    expectPoint(transformPoint(at, v), 0, 0, distance, 1);
    // Up stays in the upper half of the y-z plane; the rows are orthonormal.
    Vec4 upSeen = transformPoint({eye.x + up.x, eye.y + up.y, eye.z + up.z}, v);
    EXPECT_NEAR(upSeen.r, 0, 1e-5f);
    EXPECT_GT(upSeen.g, 0);
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b) {
            const float dot = v.m[0][a] * v.m[0][b] + v.m[1][a] * v.m[1][b] + v.m[2][a] * v.m[2][b];
            EXPECT_NEAR(dot, a == b ? 1 : 0, 1e-5f) << a << b;
        }
    for (int k = 0; k < 3; ++k) EXPECT_EQ(v.m[k][3], 0.0f);
    EXPECT_EQ(v.m[3][3], 1.0f);
}

TEST(D3DXMath, YawPitchRollIsRollThenPitchThenYaw) {
    // Each turn alone is checked above; together, roll (about z) acts first, then pitch
    // (about x), then yaw (about y), each turning as in the cases of one axis above.
    const float yaw = 0.7f, pitch = -0.4f, roll = 1.9f;
    const Matrix m = matrixRotationYawPitchRoll(yaw, pitch, roll);
    auto about = [](const Vec3& axis, float angle) {
        const float h = angle / 2, s = std::sin(h);
        return Quaternion{axis.x * s, axis.y * s, axis.z * s, std::cos(h)};
    };
    for (const Vec3& v : {Vec3{1, 0, 0}, Vec3{0, 1, 0}, Vec3{0, 0, 1}, Vec3{0.5f, 2, -1}}) {
        Vec3 e = rotatedByQuaternion(v, about({0, 0, 1}, roll));
        e = rotatedByQuaternion(e, about({1, 0, 0}, pitch));
        e = rotatedByQuaternion(e, about({0, 1, 0}, yaw));
        expectPoint(transformPoint(v, m), e.x, e.y, e.z, 1);
    }
}

TEST(D3DXMath, NormalMatrixIsTheInverseTransposeWithoutTheMove) {
    const Matrix world = matrixMultiply(matrixMultiply(matrixScaling(2, 0.5f, 3), matrixRotationYawPitchRoll(0.3f, 0.5f, -0.2f)),
                                        matrixTranslation(7, -8, 9));
    const Matrix n = normalMatrix(world);
    // M * N^T is the identity on the upper 3x3; the translation does not reach normals.
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            float sum = 0;
            for (int k = 0; k < 3; ++k) sum += world.m[r][k] * n.m[c][k];
            EXPECT_NEAR(sum, r == c ? 1 : 0, 1e-5f) << r << c;
        }
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(n.m[3][k], 0.0f);
        EXPECT_EQ(n.m[k][3], 0.0f);
    }
}

} // namespace
} // namespace zamp
