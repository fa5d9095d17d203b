// Vertex lighting on the OpenGL device against Direct3D's formulas: meshes moved, rotated
// about every axis and scaled; lights with directions of any length; the default light;
// the three attenuation terms; the spot cone. Each case lights a small quad whose pixel is
// the value at one point.
#include "DeviceFixture.h"

#include <cmath>

namespace zamp {
namespace {

using test::DeviceFixture;

struct GlLighting : DeviceFixture {
    // Lights `mesh` with light 0 alone and returns the red channel of pixel (x, y) in 0..1.
    float litRed(const Mesh& mesh, const Light& light, int x, int y) {
        EXPECT_TRUE(d.setLight(0, light));
        d.lightEnable(0, true);
        d.drawSubset(mesh, 0);
        d.lightEnable(0, false);
        return probe(x, y).r / 255.0f;
    }
};

Light directional(Vec3 direction) {
    Light l{};
    l.type = D3DLIGHT_DIRECTIONAL;
    l.diffuse = {1, 1, 1, 1};
    l.direction = direction;
    return l;
}

Light pointAt(Vec3 position, float a0, float a1, float a2) {
    Light l{};
    l.type = D3DLIGHT_POINT;
    l.diffuse = {1, 1, 1, 1};
    l.position = position;
    l.range = 1000;
    l.attenuation0 = a0, l.attenuation1 = a1, l.attenuation2 = a2;
    return l;
}

Vec3 times(const Vec3& v, const Matrix& m) { // the 3x3 part only
    return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0], v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1],
            v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2]};
}

Vec3 pointTimes(const Vec3& p, const Matrix& m) {
    Vec4 r = transformPoint(p, m);
    return {r.r, r.g, r.b};
}

Matrix transposed3(const Matrix& m) {
    Matrix t = Matrix::identity();
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) t.m[r][c] = m.m[c][r];
    return t;
}

// The inverse of a matrix made of scaling, rotation and translation.
Matrix inverseAffine(const Matrix& m) {
    const auto& a = m.m;
    double c[3][3];
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < 3; ++k) {
            const int r1 = (r + 1) % 3, r2 = (r + 2) % 3, k1 = (k + 1) % 3, k2 = (k + 2) % 3;
            c[r][k] = double(a[r1][k1]) * a[r2][k2] - double(a[r1][k2]) * a[r2][k1];
        }
    const double det = a[0][0] * c[0][0] + a[0][1] * c[0][1] + a[0][2] * c[0][2];
    Matrix inv = Matrix::identity();
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < 3; ++k) inv.m[r][k] = float(c[k][r] / det);
    const Vec3 t = times({a[3][0], a[3][1], a[3][2]}, inv);
    inv.m[3][0] = -t.x, inv.m[3][1] = -t.y, inv.m[3][2] = -t.z;
    return inv;
}

TEST_F(GlLighting, MovedRotatedAndScaledMeshesAreLitWhereTheyAre) {
    // Every case puts a small quad at the same place in camera space, facing the same way,
    // through its own world (and view) matrix: the model's corners and normal are that
    // place taken back through the matrices. Lit from straight ahead of its normal by a
    // directional light and by a point light five units away (attenuation 1 / (0.2 d)),
    // it shows the material's diffuse colour in full.
    const float halfTurn = float(M_PI);
    struct Case {
        const char* name;
        Matrix world;
        Matrix view = Matrix::identity();
    };
    const Case cases[] = {
        {"identity", Matrix::identity()},
        {"moved", matrixTranslation(20, -10, 3)},
        {"about x by a quarter turn", matrixRotationYawPitchRoll(0, halfTurn / 2, 0)},
        {"about x by -30 degrees", matrixRotationYawPitchRoll(0, -halfTurn / 6, 0)},
        {"about y by a quarter turn", matrixRotationYawPitchRoll(halfTurn / 2, 0, 0)},
        {"about y by 45 degrees, moved", matrixMultiply(matrixRotationYawPitchRoll(halfTurn / 4, 0, 0),
                                                        matrixTranslation(-7, 4, 2))},
        {"about z by a quarter turn", matrixRotationYawPitchRoll(0, 0, halfTurn / 2)},
        {"about z by -120 degrees", matrixRotationYawPitchRoll(0, 0, -halfTurn * 2 / 3)},
        {"yaw, pitch and roll, moved", matrixMultiply(matrixRotationYawPitchRoll(0.7f, -0.4f, 1.9f),
                                                      matrixTranslation(3, 5, -2))},
        {"quaternion, moved", matrixMultiply(matrixRotationQuaternion({0.18257418f, 0.36514837f, 0.54772256f,
                                                                         0.73029674f}),
                                             matrixTranslation(-4, 9, 1))},
        {"scaled unevenly and rotated", matrixMultiply(matrixScaling(2, 0.5f, 3),
                                                       matrixRotationYawPitchRoll(0.3f, 0.5f, -0.2f))},
        {"moved camera", matrixTranslation(1, 2, 3),
         matrixMultiply(matrixRotationYawPitchRoll(0.3f, 0.2f, 0.1f), matrixTranslation(5, 6, 7))},
    };
    const Vec3 normal{-0.6f, 0, -0.8f};          // in camera space
    const Vec3 towardsLight{-3, 0, -4};          // five units along the normal
    material({0.8f, 0.4f, 0.2f, 1});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1, 0);
        d.setTransform(D3DTS_WORLD, c.world);
        d.setTransform(D3DTS_VIEW, c.view);
        const Matrix toModel = inverseAffine(matrixMultiply(c.world, c.view));
        const Matrix toWorld = inverseAffine(c.view);
        const Vec3 modelNormal = times(normal, transposed3(matrixMultiply(c.world, c.view)));
        auto smallQuad = [&](float x, float y) -> const Mesh& {
            std::array<MeshVertex, 4> corners;
            const float dx[] = {-0.1f, 0.1f, 0.1f, -0.1f}, dy[] = {-0.1f, -0.1f, 0.1f, 0.1f};
            for (int k = 0; k < 4; ++k) corners[k] = {pointTimes({x + dx[k], y + dy[k], 5}, toModel), modelNormal};
            return quad(corners);
        };
        const Vec3 lightDirection = times({-towardsLight.x, -towardsLight.y, -towardsLight.z}, toWorld);
        EXPECT_NEAR(litRed(smallQuad(16, 32), directional(lightDirection), 16, 32), 0.8f, 2 / 255.0f)
            << "directional";
        const Vec3 lightPosition = pointTimes({48 + towardsLight.x, 32 + towardsLight.y, 5 + towardsLight.z}, toWorld);
        EXPECT_NEAR(litRed(smallQuad(48, 32), pointAt(lightPosition, 0, 0.2f, 0), 48, 32), 0.8f, 2 / 255.0f)
            << "point";
    }
}

TEST_F(GlLighting, DirectionsOfAnyLengthLightAsTheirUnitDirection) {
    // Scene files store light directions as they were exported, rarely of length one.
    material({0.8f, 0.8f, 0.8f, 1});
    for (float length : {1.0f, 0.25f, 4.0f, 100.0f}) {
        SCOPED_TRACE(length);
        d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1, 0);
        // 60 degrees off the normal: N.L = 0.5.
        const Vec3 direction{0.5f * length, 0, 0.8660254f * length};
        EXPECT_NEAR(litRed(dot(32, 32, 1, {-1, 0, 0}), directional(direction), 32, 32), 0.4f, 2 / 255.0f);
    }
}

TEST_F(GlLighting, TheDefaultLightShinesWhiteAlongPositiveZ) {
    // Enabled without ever being set: directional, diffuse white, direction (0, 0, 1).
    material({0.2f, 0.6f, 1, 1});
    struct Case {
        Vec3 normal;
        float expected; // N.L
    } cases[] = {{{0, 0, -1}, 1}, {{-0.6f, 0, -0.8f}, 0.8f}, {{0, 0.6f, -0.8f}, 0.8f}, {{0, 0, 1}, 0}, {{1, 0, 0}, 0}};
    d.lightEnable(5, true);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "normal " << c.normal.x << ", " << c.normal.y << ", " << c.normal.z);
        d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1, 0);
        d.drawSubset(dot(32, 32, 1, c.normal), 0);
        EXPECT_RGB(probe(32, 32), int(std::lround(51 * c.expected)), int(std::lround(153 * c.expected)),
                   int(std::lround(255 * c.expected)));
    }
}

TEST_F(GlLighting, AttenuationIsOneOverConstantPlusLinearPlusQuadraticTerms) {
    // A point light four units in front of the quad: 1 / (a0 + a1 * 4 + a2 * 16) scales
    // both its diffuse (red, green) and its ambient (blue) light.
    struct Case {
        float a0, a1, a2, attenuation;
    } cases[] = {
        {1, 0, 0, 1},       {2, 0, 0, 0.5f},         {0, 0.5f, 0, 0.5f},          {0, 0, 0.125f, 0.5f},
        {0, 0.125f, 0.0625f, 2 / 3.0f}, {0.25f, 0.25f, 0.03125f, 1 / 1.75f}, {0, 0.0625f, 0.5f, 1 / 8.25f},
    };
    material({1, 1, 1, 1}, {1, 1, 1, 1});
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.a0 << ", " << c.a1 << ", " << c.a2);
        Light l = pointAt({32, 32, -3}, c.a0, c.a1, c.a2);
        l.diffuse = {1, 1, 0, 1};
        l.ambient = {0, 0, 1, 1};
        d.setLight(0, l);
        d.lightEnable(0, true);
        d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1, 0);
        d.drawSubset(dot(32, 32), 0);
        const int v = int(std::lround(255 * c.attenuation));
        EXPECT_RGB(probe(32, 32), v, v, v);
    }
}

TEST_F(GlLighting, SpotConeInsideBetweenAndOutside) {
    // theta 0.4 and phi 0.8: full light within 0.2 of the axis, none beyond 0.4, and between
    // them ((cos a - cos 0.4) / (cos 0.2 - cos 0.4)) ^ falloff. The light sits ten units in
    // front of the quad, moved sideways so that its axis misses it by the angle a; the
    // quad's N.L is then cos a.
    auto between = [](double a, double falloff) {
        return std::cos(a) * std::pow((std::cos(a) - std::cos(0.4)) / (std::cos(0.2) - std::cos(0.4)), falloff);
    };
    struct Case {
        float angle, falloff, directionLength;
        double expected;
    } cases[] = {
        {0, 1, 1, 1},
        {0.15f, 1, 1, std::cos(0.15)},
        {0.3f, 1, 1, between(0.3, 1)},
        {0.3f, 2, 1, between(0.3, 2)},
        {0.35f, 0.5f, 1, between(0.35, 0.5)},
        {0.3f, 1, 10, between(0.3, 1)}, // a direction of length 10 is a direction
        {0.5f, 1, 1, 0},
    };
    material({1, 1, 1, 1});
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "angle " << c.angle << ", falloff " << c.falloff << ", length "
                                          << c.directionLength);
        Light l{};
        l.type = D3DLIGHT_SPOT;
        l.diffuse = {1, 1, 1, 1};
        l.range = 1000;
        l.attenuation0 = 1;
        l.falloff = c.falloff;
        l.theta = 0.4f;
        l.phi = 0.8f;
        l.direction = {0, 0, c.directionLength};
        l.position = {32 + 10 * std::tan(c.angle), 32, -9};
        d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1, 0);
        EXPECT_NEAR(litRed(dot(32, 32), l, 32, 32), c.expected, 2 / 255.0);
    }
}

} // namespace
} // namespace zamp
