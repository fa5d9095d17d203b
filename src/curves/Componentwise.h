// Applies a scalar formula to every component of the curve value types, so each
// interpolation is written once for float, vectors, colours and quaternions alike.
// The arguments must all be of the same type; the formula sees one float from each.
#pragma once

#include "core/Values.h"

#include <concepts>

namespace zamp {

template<class F, class... T>
    requires(std::same_as<T, float> && ...)
float componentwise(F&& f, T... v) {
    return f(v...);
}

template<class F, class... T>
    requires(std::same_as<T, Vec2> && ...)
Vec2 componentwise(F&& f, const T&... v) {
    return {f(v.x...), f(v.y...)};
}

template<class F, class... T>
    requires(std::same_as<T, Vec3> && ...)
Vec3 componentwise(F&& f, const T&... v) {
    return {f(v.x...), f(v.y...), f(v.z...)};
}

template<class F, class... T>
    requires(std::same_as<T, Vec4> && ...)
Vec4 componentwise(F&& f, const T&... v) {
    return {f(v.r...), f(v.g...), f(v.b...), f(v.a...)};
}

template<class F, class... T>
    requires(std::same_as<T, Quaternion> && ...)
Quaternion componentwise(F&& f, const T&... v) {
    return {f(v.x...), f(v.y...), f(v.z...), f(v.w...)};
}

} // namespace zamp
