// Curves are evaluated every frame for every animated value, so evaluation must not touch
// the heap. This file replaces the global allocator of the test program to count calls.
#include "CurveTestSupport.h"

#include "curves/LinearCurve.h"
#include "curves/LinearQuaternionCurve.h"
#include "curves/TCBCurve.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace {
thread_local long allocations = 0;
volatile float sink = 0; // keeps the evaluations observable
}

#if defined(__GNUC__) && !defined(__clang__)
// GCC may match the free() below against an inlined new expression and warn; both sides of
// this allocator are malloc and free.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { ::operator delete(p); }

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
    const long before = allocations;
    for (float t = -1; t < 5; t += 0.125f) {
        const auto value = curve.evaluate(t);
        float first;
        std::memcpy(&first, &value, sizeof first); // every value type starts with a float
        sink = sink + first + static_cast<float>(curve.findSegment(t));
    }
    return allocations - before;
}

TEST(CurveEvaluation, AllocatesNothing) {
    // The counter itself works: growing a vector is seen.
    const long before = allocations;
    std::vector<int> grown(16);
    EXPECT_GT(allocations - before, 0);

    EXPECT_EQ(allocationsWhileEvaluating(fourKeys<LinearCurve<float>>()), 0);
    EXPECT_EQ(allocationsWhileEvaluating(fourKeys<LinearCurve<Vec4>>()), 0);
    EXPECT_EQ(allocationsWhileEvaluating(fourKeys<TCBCurve<float>>()), 0);
    EXPECT_EQ(allocationsWhileEvaluating(fourKeys<TCBCurve<Vec2>>()), 0);
    EXPECT_EQ(allocationsWhileEvaluating(fourKeys<TCBCurve<Vec3>>()), 0);
    EXPECT_EQ(allocationsWhileEvaluating(fourKeys<LinearQuaternionCurve>()), 0);
}

} // namespace
} // namespace curvetest
