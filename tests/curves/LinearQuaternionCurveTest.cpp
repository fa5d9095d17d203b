// Rotations: the slerp arithmetic and the curve that drives it with a linear fraction.
#include "CurveTestSupport.h"

#include "curves/LinearQuaternionCurve.h"

#include <cmath>
#include <numbers>

namespace curvetest {
namespace {

const Quaternion identity{0, 0, 0, 1};
const Quaternion halfTurnY{0, 1, 0, 0};

Quaternion negated(const Quaternion& q) { return {-q.x, -q.y, -q.z, -q.w}; }

// Textbook slerp in double precision along the arc the caller chose.
Quaternion referenceSlerp(const Quaternion& a, const Quaternion& b, double u) {
    const double dot = double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z + double(a.w) * b.w;
    const double theta = std::acos(dot);
    const double k1 = std::sin((1 - u) * theta) / std::sin(theta);
    const double k2 = std::sin(u * theta) / std::sin(theta);
    return {float(k1 * a.x + k2 * b.x), float(k1 * a.y + k2 * b.y), float(k1 * a.z + k2 * b.z),
            float(k1 * a.w + k2 * b.w)};
}

TEST(Slerp, HalfwayToAHalfTurnIsAQuarterTurn) {
    LinearQuaternionCurve curve;
    curve.addKey({0, identity});
    curve.addKey({1, halfTurnY});
    EXPECT_TRUE(close(curve.evaluate(0.5f), Quaternion{0, 0.7071068f, 0, 0.7071068f}));
    const float c = std::cos(std::numbers::pi_v<float> / 8), s = std::sin(std::numbers::pi_v<float> / 8);
    EXPECT_TRUE(close(curve.evaluate(0.25f), Quaternion{0, s, 0, c}));
    EXPECT_TRUE(close(curve.evaluate(0), identity));
}

TEST(Slerp, FollowsTheArcBetweenUnitRotations) {
    const float n = 1 / std::sqrt(30.0f);
    const Quaternion a{n, 2 * n, 3 * n, 4 * n};
    const Quaternion b{0.6f, 0, 0.8f, 0}; // dot about 0.55: 57 degrees apart on the sphere
    for (float u : {0.0f, 0.1f, 0.5f, 0.9f, 1.0f}) {
        const Quaternion q = slerp(a, b, u);
        EXPECT_TRUE(close(q, referenceSlerp(a, b, u))) << "u=" << u;
        EXPECT_NEAR(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w, 1.0f, 1e-6f) << "u=" << u;
    }
}

TEST(Slerp, TakesTheShorterArcWhenTheKeysDisagreeInSign) {
    const float h = std::sqrt(0.5f);
    const Quaternion quarterTurn{0, h, 0, h};
    // Towards -quarterTurn the blend still turns a quarter turn, not three quarters.
    const Quaternion eighth = slerp(identity, negated(quarterTurn), 0.5f);
    const float c = std::cos(std::numbers::pi_v<float> / 8), s = std::sin(std::numbers::pi_v<float> / 8);
    EXPECT_TRUE(close(eighth, Quaternion{0, s, 0, c}));
    EXPECT_TRUE(close(slerp(identity, negated(quarterTurn), 0.5f), slerp(identity, quarterTurn, 0.5f)));
}

TEST(Slerp, AQuaternionAndItsNegationBlendToTheFirst) {
    const float n = 1 / std::sqrt(30.0f);
    for (const Quaternion& q : {identity, halfTurnY, Quaternion{n, 2 * n, 3 * n, 4 * n},
                                Quaternion{0.1f, -0.7f, 0.7f, 0.1f}}) {
        LinearQuaternionCurve curve;
        curve.addKey({0, q});
        curve.addKey({1, negated(q)});
        for (float t : {0.0f, 0.25f, 0.5f, 0.9f}) {
            EXPECT_TRUE(close(curve.evaluate(t), q)) << "t=" << t << " q=" << ::testing::PrintToString(q);
        }
    }
}

TEST(Slerp, NearlyEqualRotationsBlendLinearly) {
    // The dot is exactly 1: the sine ratio would be 0/0, the linear blend is exact.
    const Quaternion nudged{0.001f, 0, 0, 1};
    const Quaternion q = slerp(identity, nudged, 0.25f);
    EXPECT_EQ(q, (Quaternion{0.25f * 0.001f, 0, 0, 0.75f + 0.25f}));
    // Also with the sign flipped: k1 * a - k2 * (-b).
    EXPECT_EQ(slerp(identity, negated(nudged), 0.25f), q);
    // Exactly at the threshold (1 - dot is 2^-23) the blend is still linear.
    const float c = 1 - std::ldexp(1.0f, -23);
    const Quaternion edge{0, 0, 0.000345f, c};
    EXPECT_EQ(slerp(identity, edge, 0.75f), (Quaternion{0, 0, 0.75f * 0.000345f, 0.25f + 0.75f * c}));
}

TEST(Slerp, NonUnitQuaternionsAreNeitherNormalisedBeforeNorAfter) {
    const Quaternion a{0, 0, 0, 2};
    const Quaternion b{0, 2, 0, 0};
    const Quaternion q = slerp(a, b, 0.5f); // dot 0: a right angle, k1 = k2 = sin(pi/4)
    EXPECT_TRUE(close(q, Quaternion{0, std::sqrt(2.0f), 0, std::sqrt(2.0f)}));
    // A dot beyond 1 cannot be an angle: the blend is linear.
    const Quaternion big = slerp(Quaternion{0, 0, 3, 0}, Quaternion{0, 1, 3, 0}, 0.5f);
    EXPECT_EQ(big, (Quaternion{0, 0.5f, 3, 0}));
}

TEST(LinearQuaternionCurve, TheFractionGrowsLinearlyAcrossEachSegment) {
    const float n = 1 / std::sqrt(30.0f);
    const Quaternion a{n, 2 * n, 3 * n, 4 * n};
    LinearQuaternionCurve curve;
    curve.addKey({2, identity});
    curve.addKey({6, halfTurnY});
    curve.addKey({7, a});
    EXPECT_EQ(curve.evaluate(3), slerp(identity, halfTurnY, 0.25f));
    EXPECT_EQ(curve.evaluate(6.5f), slerp(halfTurnY, a, 0.5f));
    EXPECT_EQ(curve.evaluate(7), a);
    EXPECT_EQ(curve.evaluate(1), a); // before the first key: the last key's rotation
    EXPECT_EQ(curve.evaluate(std::numeric_limits<float>::quiet_NaN()), a);
}

} // namespace
} // namespace curvetest
