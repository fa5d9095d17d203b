// Straight-line interpolation of floats and colours.
#include "CurveTestSupport.h"

#include "curves/LinearCurve.h"

namespace curvetest {
namespace {

TEST(LinearCurve, InterpolatesInsideASegmentAndHoldsTheLastKeyOutside) {
    LinearCurve<float> curve;
    curve.addKey({0, 0});
    curve.addKey({2, 10});
    EXPECT_FLOAT_EQ(curve.evaluate(1), 5);
    EXPECT_FLOAT_EQ(curve.evaluate(0.5f), 2.5f);
    EXPECT_EQ(curve.evaluate(0), 0);
    EXPECT_EQ(curve.evaluate(2), 10); // no interval holds 2
    EXPECT_EQ(curve.evaluate(7), 10);

    LinearCurve<float> late;
    late.addKey({1, 0});
    late.addKey({2, 10});
    EXPECT_EQ(late.evaluate(0.5f), 10); // before the first key: still the last key
    EXPECT_FLOAT_EQ(late.evaluate(1.25f), 2.5f);
}

TEST(LinearCurve, KeysAppendedOutOfOrderAreSearchedAsAppended) {
    const float a = 1, b = 5, c = -3;
    LinearCurve<float> curve;
    curve.addKey({0, a});
    curve.addKey({2, b});
    curve.addKey({1, c});
    EXPECT_FLOAT_EQ(curve.evaluate(1.5f), a + 0.75f * (b - a));
    EXPECT_FLOAT_EQ(curve.evaluate(1), a + 0.5f * (b - a)); // key 2 at time 1 is never reached
    EXPECT_EQ(curve.evaluate(2.5f), c);
}

TEST(LinearCurve, ManySegmentsEachUseTheirOwnEnds) {
    LinearCurve<float> curve;
    curve.addKey({-4, 8});
    curve.addKey({-2, 0});
    curve.addKey({0.5f, 10});
    curve.addKey({10, -9});
    EXPECT_FLOAT_EQ(curve.evaluate(-3), 4);
    EXPECT_FLOAT_EQ(curve.evaluate(-1.5f), 2);
    EXPECT_FLOAT_EQ(curve.evaluate(5.25f), 0.5f);
    EXPECT_EQ(curve.evaluate(-5), -9);
}

TEST(LinearCurve, NaNTimeAndNaNValuesAreTakenAsTheyAre) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    LinearCurve<float> curve;
    curve.addKey({0, 1});
    curve.addKey({1, nan});
    curve.addKey({2, 3});
    EXPECT_EQ(curve.evaluate(nan), 3);
    EXPECT_TRUE(std::isnan(curve.evaluate(0.5f)));
    EXPECT_EQ(curve.evaluate(2.5f), 3);
}

TEST(LinearCurve, ColourComponentsShareOneFraction) {
    LinearCurve<Vec4> colour;
    colour.addKey({1, {0, 1, 2, -4}});
    colour.addKey({5, {8, -3, 2, 4}});
    EXPECT_TRUE(close(colour.evaluate(2), Vec4{2, 0, 2, -2}));
    EXPECT_TRUE(close(colour.evaluate(4), Vec4{6, -2, 2, 2}));
    EXPECT_EQ(colour.evaluate(5), (Vec4{8, -3, 2, 4}));

    // Each component behaves exactly like a float curve through that component's values.
    LinearCurve<float> r, g, b, a;
    for (const auto& key : colour.keys()) {
        r.addKey({key.time, key.value.r});
        g.addKey({key.time, key.value.g});
        b.addKey({key.time, key.value.b});
        a.addKey({key.time, key.value.a});
    }
    for (float t : {1.0f, 1.3f, 2.7f, 4.99f}) {
        const Vec4 v = colour.evaluate(t);
        EXPECT_EQ(v, (Vec4{r.evaluate(t), g.evaluate(t), b.evaluate(t), a.evaluate(t)})) << "t=" << t;
    }
}

} // namespace
} // namespace curvetest
