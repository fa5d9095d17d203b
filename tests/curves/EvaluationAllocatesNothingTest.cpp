// Curves are evaluated every frame for every animated value, so evaluation must not touch
// the heap. The test program counts heap allocations (support/AllocationCounter.h).
#include "CurveTestSupport.h"
#include "support/AllocationCounter.h"

#include "curves/LinearCurve.h"
#include "curves/LinearQuaternionCurve.h"
#include "curves/TCBCurve.h"

#include <cstring>
#include <vector>

namespace {
volatile float sink = 0; // keeps the evaluations observable
}

namespace curvetest {
namespace {

template<class Curve>
Curve fourKeys() {
    Curve curve;
    addKeyAt(curve, 0, 1);
    addKeyAt(curve, 1, 3);
    addKeyAt(curve, 2.5f, -2);
    addKeyAt(curve, 4, 5);
    return curve;
}

template<class Curve>
long allocationsWhileEvaluating(const Curve& curve) {
    const long before = zamp::test::allocationsOnThisThread();
    for (float t = -1; t < 5; t += 0.125f) {
        const auto value = curve.evaluate(t);
        float first;
        std::memcpy(&first, &value, sizeof first); // every value type starts with a float
        sink = sink + first + static_cast<float>(curve.findSegment(t));
    }
    return zamp::test::allocationsOnThisThread() - before;
}

TEST(CurveEvaluation, AllocatesNothing) {
    // The counter itself works: growing a vector is seen.
    const long before = zamp::test::allocationsOnThisThread();
    std::vector<int> grown(16);
    EXPECT_GT(zamp::test::allocationsOnThisThread() - before, 0);

    EXPECT_EQ(allocationsWhileEvaluating(fourKeys<LinearCurve<float>>()), 0);
    EXPECT_EQ(allocationsWhileEvaluating(fourKeys<LinearCurve<Vec4>>()), 0);
    EXPECT_EQ(allocationsWhileEvaluating(fourKeys<TCBCurve<float>>()), 0);
    EXPECT_EQ(allocationsWhileEvaluating(fourKeys<TCBCurve<Vec2>>()), 0);
    EXPECT_EQ(allocationsWhileEvaluating(fourKeys<TCBCurve<Vec3>>()), 0);
    EXPECT_EQ(allocationsWhileEvaluating(fourKeys<LinearQuaternionCurve>()), 0);
}

} // namespace
} // namespace curvetest
