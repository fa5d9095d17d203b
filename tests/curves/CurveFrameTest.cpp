// What every curve family shares: the key store, the segment search, the one-key and
// outside-the-keys rules and the failure without keys. Run for each instantiation.
#include "CurveTestSupport.h"

#include "core/Error.h"
#include "curves/LinearCurve.h"
#include "curves/LinearQuaternionCurve.h"
#include "curves/TCBCurve.h"

#include <string>

namespace curvetest {
namespace {

template<class Curve> const char* expectedEmptyMessage();
template<> const char* expectedEmptyMessage<LinearCurve<float>>() { return "LinearCurve needs atleast one key"; }
template<> const char* expectedEmptyMessage<LinearCurve<Vec4>>() { return "LinearCurve needs atleast one key"; }
template<> const char* expectedEmptyMessage<TCBCurve<float>>() { return "TCBCurve needs atleast one key"; }
template<> const char* expectedEmptyMessage<TCBCurve<Vec2>>() { return "TCBCurve needs atleast one key"; }
template<> const char* expectedEmptyMessage<TCBCurve<Vec3>>() { return "TCBCurve needs atleast one key"; }
template<> const char* expectedEmptyMessage<LinearQuaternionCurve>() {
    return "LinearQuaternionCurve needs atleast one key";
}

template<class Curve>
class CurveFrame : public ::testing::Test {
protected:
    using Value = decltype(Curve::Key::value);
    static Value v(float seed) { return valueFrom<Value>(seed); }
};

using AllCurves = ::testing::Types<LinearCurve<float>, LinearCurve<Vec4>, TCBCurve<float>, TCBCurve<Vec2>,
                                   TCBCurve<Vec3>, LinearQuaternionCurve>;
TYPED_TEST_SUITE(CurveFrame, AllCurves);

constexpr float nan = std::numeric_limits<float>::quiet_NaN();
constexpr float inf = std::numeric_limits<float>::infinity();

TYPED_TEST(CurveFrame, WithoutKeysEvaluationThrowsTheFamilyMessageAndChangesNothing) {
    const TypeParam curve;
    EXPECT_FALSE(curve.hasKeys());
    EXPECT_EQ(curve.keyCount(), 0u);
    EXPECT_EQ(curve.findSegment(0), -1);
    for (float t : {0.0f, 1.0f, nan}) {
        try {
            (void)curve.evaluate(t);
            ADD_FAILURE() << "no exception at t=" << t;
        } catch (const Error& error) {
            EXPECT_STREQ(error.what(), expectedEmptyMessage<TypeParam>());
        }
    }
    EXPECT_FALSE(curve.hasKeys());
    EXPECT_TRUE(curve.keys().empty());
}

TYPED_TEST(CurveFrame, OneKeyHoldsAtEveryTimeIncludingBeforeIt) {
    TypeParam curve;
    addKeyAt(curve, 3, 7);
    EXPECT_TRUE(curve.hasKeys());
    EXPECT_EQ(curve.keyCount(), 1u);
    for (float t : {-1e30f, -5.0f, 0.0f, 2.999f, 3.0f, 4.0f, 1e30f, inf, -inf, nan}) {
        EXPECT_EQ(curve.findSegment(t), -1) << "t=" << t;
        EXPECT_EQ(curve.evaluate(t), this->v(7)) << "t=" << t;
    }
}

TYPED_TEST(CurveFrame, TimesNoSegmentHoldsGiveTheLastKeyEvenBeforeTheFirst) {
    TypeParam curve;
    addKeyAt(curve, 1, 2);
    addKeyAt(curve, 2, 5);
    addKeyAt(curve, 3, 9);
    for (float t : {-1e30f, 0.0f, 0.5f, 0.999f, 3.0f, 7.0f, 1e30f, inf, -inf, nan}) {
        EXPECT_EQ(curve.findSegment(t), -1) << "t=" << t;
        EXPECT_EQ(curve.evaluate(t), this->v(9)) << "t=" << t;
    }
    // A segment's start time belongs to it and yields that key's value.
    EXPECT_EQ(curve.findSegment(1), 0);
    EXPECT_EQ(curve.findSegment(2), 1);
    EXPECT_TRUE(close(curve.evaluate(1), this->v(2)));
    EXPECT_TRUE(close(curve.evaluate(2), this->v(5)));
}

TYPED_TEST(CurveFrame, KeysStayInAppendOrderAndTheSearchTakesThemAsTheyStand) {
    TypeParam curve;
    addKeyAt(curve, 0, 1);
    addKeyAt(curve, 2, 4);
    addKeyAt(curve, 1, 6);
    ASSERT_EQ(curve.keyCount(), 3u);
    EXPECT_EQ(curve.keys()[0].time, 0);
    EXPECT_EQ(curve.keys()[1].time, 2);
    EXPECT_EQ(curve.keys()[2].time, 1);
    EXPECT_EQ(curve.keys()[2].value, this->v(6));

    EXPECT_EQ(curve.findSegment(0), 0);
    EXPECT_EQ(curve.findSegment(1), 0); // first match wins, although key 2 is at 1
    EXPECT_EQ(curve.findSegment(1.5f), 0);
    EXPECT_EQ(curve.findSegment(2), -1); // keys 1 and 2 run backwards: an empty interval
    EXPECT_EQ(curve.findSegment(2.5f), -1);
    EXPECT_EQ(curve.evaluate(2.5f), this->v(6)); // the last appended key, not the latest time
    EXPECT_EQ(curve.evaluate(-1), this->v(6));
}

TYPED_TEST(CurveFrame, RepeatedTimesFormAnIntervalNoTimeSelects) {
    TypeParam curve;
    addKeyAt(curve, 0, 1);
    addKeyAt(curve, 1, 2);
    addKeyAt(curve, 1, 3);
    addKeyAt(curve, 2, 4);
    EXPECT_EQ(curve.findSegment(0.999f), 0);
    EXPECT_EQ(curve.findSegment(1), 2);
    EXPECT_EQ(curve.findSegment(1.5f), 2);
    EXPECT_TRUE(close(curve.evaluate(1), this->v(3)));
}

TYPED_TEST(CurveFrame, ACopyOwnsItsKeys) {
    TypeParam original;
    addKeyAt(original, 0, 1);
    TypeParam copy = original;
    addKeyAt(copy, 1, 2);
    EXPECT_EQ(original.keyCount(), 1u);
    EXPECT_EQ(copy.keyCount(), 2u);
    EXPECT_EQ(original.evaluate(0.5f), this->v(1));
    EXPECT_NE(copy.evaluate(0.5f), this->v(1));
}

} // namespace
} // namespace curvetest
