// Helpers shared by the curve tests: float comparison with a small tolerance, and a way to
// build keys and distinct values for any curve family.
#pragma once

#include "curves/Keys.h"
#include "core/Values.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <ostream>

namespace zamp {

inline std::ostream& operator<<(std::ostream& os, const Vec2& v) { return os << '(' << v.x << ", " << v.y << ')'; }
inline std::ostream& operator<<(std::ostream& os, const Vec3& v) {
    return os << '(' << v.x << ", " << v.y << ", " << v.z << ')';
}
inline std::ostream& operator<<(std::ostream& os, const Vec4& v) {
    return os << '(' << v.r << ", " << v.g << ", " << v.b << ", " << v.a << ')';
}
inline std::ostream& operator<<(std::ostream& os, const Quaternion& q) {
    return os << '(' << q.x << ", " << q.y << ", " << q.z << ", " << q.w << ')';
}

} // namespace zamp

namespace curvetest {

using namespace zamp;

// A few float steps at the scale of the expected value (or of 1 near zero): room for
// arithmetic carried out in higher precision, nothing more.
inline bool closeFloat(float actual, float expected) {
    const float scale = std::max(1.0f, std::fabs(expected));
    return std::fabs(actual - expected) <= 4 * std::numeric_limits<float>::epsilon() * scale;
}

inline bool closeValue(float a, float e) { return closeFloat(a, e); }
inline bool closeValue(const Vec2& a, const Vec2& e) { return closeFloat(a.x, e.x) && closeFloat(a.y, e.y); }
inline bool closeValue(const Vec3& a, const Vec3& e) {
    return closeFloat(a.x, e.x) && closeFloat(a.y, e.y) && closeFloat(a.z, e.z);
}
inline bool closeValue(const Vec4& a, const Vec4& e) {
    return closeFloat(a.r, e.r) && closeFloat(a.g, e.g) && closeFloat(a.b, e.b) && closeFloat(a.a, e.a);
}
inline bool closeValue(const Quaternion& a, const Quaternion& e) {
    return closeFloat(a.x, e.x) && closeFloat(a.y, e.y) && closeFloat(a.z, e.z) && closeFloat(a.w, e.w);
}

template<class V>
::testing::AssertionResult close(const V& actual, const V& expected) {
    if (closeValue(actual, expected)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "got " << ::testing::PrintToString(actual) << ", expected "
                                         << ::testing::PrintToString(expected);
}

// Distinct values of each type from one number, every component different.
template<class V> V valueFrom(float s);
template<> inline float valueFrom<float>(float s) { return s; }
template<> inline Vec2 valueFrom<Vec2>(float s) { return {s, 2 * s + 1}; }
template<> inline Vec3 valueFrom<Vec3>(float s) { return {s, 2 * s + 1, -s}; }
template<> inline Vec4 valueFrom<Vec4>(float s) { return {s, 2 * s + 1, -s, 0.5f * s}; }
template<> inline Quaternion valueFrom<Quaternion>(float s) { return {s, 2 * s + 1, -s, 0.5f * s}; }

template<class V> LinearKey<V> makeKey(LinearKey<V>*, float time, V value) { return {time, value}; }
template<class V> TCBKey<V> makeKey(TCBKey<V>*, float time, V value) { return {time, 0.25f, -0.5f, 0.5f, value}; }
inline QuaternionKey makeKey(QuaternionKey*, float time, Quaternion value) { return {time, value}; }

// Appends a key at `time` whose value is valueFrom(seed).
template<class Curve>
void addKeyAt(Curve& curve, float time, float seed) {
    using Key = typename Curve::Key;
    using V = decltype(Key::value);
    curve.addKey(makeKey(static_cast<Key*>(nullptr), time, valueFrom<V>(seed)));
}

} // namespace curvetest
