// Rotations between keys by spherical linear interpolation, with a fraction that grows
// linearly in time. Quaternions are stored and blended as given: never normalised, and
// neighbouring keys are not made to agree in sign.
#pragma once

#include "curves/KeyedCurve.h"
#include "curves/Keys.h"

namespace zamp {

// D3DXQuaternionSlerp's arithmetic: the shorter arc, a linear blend when the rotations
// are within float resolution of each other, and no renormalisation of the result.
Quaternion slerp(const Quaternion& a, const Quaternion& b, float u);

class LinearQuaternionCurve : public KeyedCurve<QuaternionKey, LinearQuaternionCurve> {
public:
    using Key = QuaternionKey;

    static constexpr const char* emptyMessage = "LinearQuaternionCurve needs atleast one key";

private:
    using Base = KeyedCurve<Key, LinearQuaternionCurve>;
    friend Base;

    Quaternion interpolate(std::size_t i, float t) const;
};

} // namespace zamp
