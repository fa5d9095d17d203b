// Straight-line interpolation between keys, for image rotation (float) and image colour
// (Vec4, each component with the same fraction).
#pragma once

#include "curves/Componentwise.h"
#include "curves/KeyedCurve.h"
#include "curves/Keys.h"

namespace zamp {

template<class V>
class LinearCurve : public KeyedCurve<LinearKey<V>, LinearCurve<V>> {
public:
    using Key = LinearKey<V>;

    static constexpr const char* emptyMessage = "LinearCurve needs atleast one key";

private:
    using Base = KeyedCurve<Key, LinearCurve>;
    friend Base;

    V interpolate(std::size_t i, float t) const {
        const Key& from = this->keys_[i];
        const Key& to = this->keys_[i + 1];
        const float span = to.time - from.time;
        if (span == 0) {
            return from.value;
        }
        const float u = (t - from.time) / span;
        return componentwise([u](float a, float b) { return a + u * (b - a); }, from.value, to.value);
    }
};

} // namespace zamp
