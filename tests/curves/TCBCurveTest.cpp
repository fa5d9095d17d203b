// Kochanek-Bartels splines: tangents, the ease of tension 1, flat segments and vectors.
#include "CurveTestSupport.h"

#include "curves/TCBCurve.h"

namespace curvetest {
namespace {

TCBCurve<float> floatCurve(std::initializer_list<std::pair<float, float>> timeValue, float tension = 0) {
    TCBCurve<float> curve;
    for (auto [time, value] : timeValue) {
        curve.addKey({time, tension, 0, 0, value});
    }
    return curve;
}

TEST(TCBCurve, TwoKeysWithZeroParametersFormAStraightLine) {
    const auto curve = floatCurve({{0, 0}, {1, 10}});
    EXPECT_TRUE(close(curve.evaluate(0.25f), 2.5f));
    EXPECT_TRUE(close(curve.evaluate(0.5f), 5.0f));
    EXPECT_TRUE(close(curve.evaluate(0.75f), 7.5f));
    // End tangents are the chord itself, not halved and not scaled by the segment length.
    const auto longer = floatCurve({{0, 0}, {2, 10}});
    EXPECT_TRUE(close(longer.evaluate(0.5f), 2.5f));
    EXPECT_TRUE(close(longer.evaluate(1.5f), 7.5f));
}

TEST(TCBCurve, TensionOneEasesInAndOut) {
    const auto curve = floatCurve({{0, 0}, {1, 10}}, 1);
    EXPECT_TRUE(close(curve.evaluate(0.25f), 1.5625f));
    EXPECT_TRUE(close(curve.evaluate(0.5f), 5.0f));
    EXPECT_TRUE(close(curve.evaluate(0.75f), 8.4375f));
    // Neighbours cannot pull a tension-1 segment off its ease.
    const auto three = floatCurve({{0, 0}, {1, 10}, {3, -50}}, 1);
    EXPECT_TRUE(close(three.evaluate(0.25f), 1.5625f));
    EXPECT_TRUE(close(three.evaluate(2.5f), 10 + 0.84375f * -60));
}

TEST(TCBCurve, InteriorTangentsUseTheNeighboursAndTheirTimeSpans) {
    const auto curve = floatCurve({{0, 0}, {1, 10}, {3, 0}});
    EXPECT_TRUE(close(curve.evaluate(0.5f), 6.25f)); // leaving 10, arriving 0
    EXPECT_TRUE(close(curve.evaluate(2.0f), 6.25f)); // leaving 0, arriving -10
    EXPECT_EQ(curve.evaluate(1), 10);
}

TEST(TCBCurve, EqualEndsHoldStillButNeighbouringSegmentsBend) {
    const auto curve = floatCurve({{0, 0}, {1, 5}, {2, 5}, {3, 0}});
    for (float t : {1.0f, 1.1f, 1.5f, 1.75f, 1.999f}) {
        EXPECT_EQ(curve.evaluate(t), 5) << "t=" << t;
    }
    EXPECT_TRUE(close(curve.evaluate(0.5f), 2.8125f));
    EXPECT_TRUE(close(curve.evaluate(2.5f), 2.8125f));
}

TEST(TCBCurve, ContinuityAndBiasWeighTheChordsOnEachSide) {
    TCBCurve<float> curve;
    curve.addKey({0, 0.5f, 0.5f, 0, 0});
    curve.addKey({1, 0, 0.5f, 0.25f, 10});
    curve.addKey({3, 0, 0, 0.5f, 4});
    // Leaving key 0: 0.25 * 10; arriving at key 1: (0.625 * 10 + 1.125 * -6) / 3.
    EXPECT_TRUE(close(curve.evaluate(0.5f), 5 + 0.3125f + 0.125f / 6));
    // Leaving key 1: (1.875 * 10 + 0.375 * -6) * 2 / 3 = 11; arriving at key 2: 1.5 * -6.
    EXPECT_TRUE(close(curve.evaluate(2), 9.5f));
}

TEST(TCBCurve, VectorSegmentsBlendEveryComponentUnlessAllAreEqual) {
    TCBCurve<Vec3> curve;
    curve.addKey({0, 0, 0, 0, {0, 0, 0}});
    curve.addKey({1, 0, 0, 0, {5, 5, 5}});
    curve.addKey({2, 0, 0, 0, {5, 5, 6}});
    curve.addKey({3, 0, 0, 0, {0, 0, 0}});
    curve.addKey({4, 0, 0, 0, {0, 0, 0}});
    // Only z differs at the ends of [1, 2), yet x and y move with their tangents.
    EXPECT_TRUE(close(curve.evaluate(1.5f), Vec3{5.625f, 5.625f, 6.1875f}));
    // A float curve through the x components would hold still on the same segment.
    const auto x = floatCurve({{0, 0}, {1, 5}, {2, 5}, {3, 0}, {4, 0}});
    EXPECT_EQ(x.evaluate(1.5f), 5);
    // All three equal: no overshoot although the key before pulls.
    for (float t : {3.0f, 3.25f, 3.9f}) {
        EXPECT_EQ(curve.evaluate(t), (Vec3{0, 0, 0})) << "t=" << t;
    }
}

TEST(TCBCurve, VectorComponentsFollowTheFloatCurveOfEachComponent) {
    TCBCurve<Vec2> curve;
    curve.addKey({0, 0.1f, 0.3f, -0.2f, {1, -2}});
    curve.addKey({0.7f, -0.4f, 0.2f, 0.6f, {4, 3}});
    curve.addKey({2.2f, 0.5f, -0.7f, 0.1f, {-1, 8}});
    curve.addKey({3, 0, 0.4f, -0.3f, {2, 5}});
    TCBCurve<float> xs, ys;
    for (const auto& k : curve.keys()) {
        xs.addKey({k.time, k.tension, k.continuity, k.bias, k.value.x});
        ys.addKey({k.time, k.tension, k.continuity, k.bias, k.value.y});
    }
    for (float t = -0.5f; t < 3.5f; t += 0.0625f) {
        EXPECT_EQ(curve.evaluate(t), (Vec2{xs.evaluate(t), ys.evaluate(t)})) << "t=" << t;
    }
}

TEST(TCBCurve, TensionOneEaseIsSymmetricAboutTheMiddle) {
    TCBCurve<Vec2> curve;
    curve.addKey({0, 1, 0, 0, {0, 100}});
    curve.addKey({4, 1, 0, 0, {8, 0}});
    for (float s : {0.1f, 0.25f, 0.4f}) {
        const Vec2 early = curve.evaluate(4 * s);
        const Vec2 late = curve.evaluate(4 * (1 - s));
        EXPECT_TRUE(close(early.x + late.x, 8.0f)) << "s=" << s;
        EXPECT_TRUE(close(early.y + late.y, 100.0f)) << "s=" << s;
    }
}

} // namespace
} // namespace curvetest
