#include "curves/LinearQuaternionCurve.h"

#include "curves/Componentwise.h"

#include <cmath>
#include <limits>

namespace zamp {

Quaternion slerp(const Quaternion& a, const Quaternion& b, float u) {
    const float dot = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
    // q and -q are the same rotation; flipping b when the dot is negative takes the short way.
    const float sign = dot >= 0 ? 1.0f : -1.0f;
    const float c = sign * dot;

    float k1 = 1 - u;
    float k2 = u;
    // Below 2^-23 the sine of the angle is lost in rounding and the ratios would be 0/0.
    if (1 - c > std::numeric_limits<float>::epsilon()) {
        const float sine = std::sqrt(1 - c * c);
        const float theta = std::atan2(sine, c);
        k1 = std::sin((1 - u) * theta) / sine;
        k2 = std::sin(u * theta) / sine;
    }
    k2 *= sign;
    return componentwise([=](float p, float q) { return k1 * p + k2 * q; }, a, b);
}

Quaternion LinearQuaternionCurve::interpolate(std::size_t i, float t) const {
    const Key& from = keys_[i];
    const Key& to = keys_[i + 1];
    const float span = to.time - from.time;
    if (span == 0) {
        return from.value;
    }
    return slerp(from.value, to.value, (t - from.time) / span);
}

template class KeyedCurve<QuaternionKey, LinearQuaternionCurve>;

} // namespace zamp
