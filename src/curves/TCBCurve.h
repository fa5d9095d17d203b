// Kochanek-Bartels splines for image position and scale (Vec2), scene positions, camera
// vectors (Vec3) and field of view (float). Vector values use the same scalar weights in
// every component.
#pragma once

#include "curves/Componentwise.h"
#include "curves/KeyedCurve.h"
#include "curves/Keys.h"

namespace zamp {

template<class V>
class TCBCurve : public KeyedCurve<TCBKey<V>, TCBCurve<V>> {
public:
    using Key = TCBKey<V>;

    static constexpr const char* emptyMessage = "TCBCurve needs atleast one key";

private:
    using Base = KeyedCurve<Key, TCBCurve>;
    friend Base;

    V interpolate(std::size_t i, float t) const;
    V outgoingTangent(std::size_t i) const;
    V incomingTangent(std::size_t j) const;
};

template<class V>
V TCBCurve<V>::interpolate(std::size_t i, float t) const {
    const Key& from = this->keys_[i];
    const Key& to = this->keys_[i + 1];
    // Two equal ends hold still whatever the neighbours do, so such a segment never
    // overshoots. All components must match exactly.
    if (from.value == to.value) {
        return from.value;
    }
    const V leave = outgoingTangent(i);
    const V arrive = incomingTangent(i + 1);

    const float s = (t - from.time) / (to.time - from.time);
    const float s2 = s * s;
    const float s3 = s2 * s;
    const float h2 = 3 * s2 - 2 * s3; // kept as a float: h1 is derived from the rounded value
    const float h1 = 1 - h2;
    const float h3 = s3 - 2 * s2 + s;
    const float h4 = s3 - s2;
    return componentwise(
        [=](float p0, float p1, float m0, float m1) { return h1 * p0 + h2 * p1 + h3 * m0 + h4 * m1; },
        from.value, to.value, leave, arrive);
}

// The usual tangents with their halves folded into the time adjustment. The first key has
// no incoming chord, so its tangent is the outgoing chord alone: neither halved nor
// time-adjusted, and never wrapped round to the other end.
template<class V>
V TCBCurve<V>::outgoingTangent(std::size_t i) const {
    const Key& key = this->keys_[i];
    const Key& next = this->keys_[i + 1];
    const float open = 1 - key.tension;
    const float nextWeight = open * (1 - key.continuity) * (1 - key.bias);
    if (i == 0) {
        return componentwise([=](float p, float n) { return nextWeight * (n - p); }, key.value, next.value);
    }
    const Key& prev = this->keys_[i - 1];
    const float prevWeight = open * (1 + key.continuity) * (1 + key.bias);
    const float span = next.time - key.time;
    const float around = next.time - prev.time;
    return componentwise(
        [=](float b, float p, float n) { return (prevWeight * (p - b) + nextWeight * (n - p)) * span / around; },
        prev.value, key.value, next.value);
}

// Mirror of outgoingTangent for the segment that ends at key j; the last key uses the
// incoming chord alone.
template<class V>
V TCBCurve<V>::incomingTangent(std::size_t j) const {
    const Key& key = this->keys_[j];
    const Key& prev = this->keys_[j - 1];
    const float open = 1 - key.tension;
    const float prevWeight = open * (1 - key.continuity) * (1 + key.bias);
    if (j + 1 == this->keys_.size()) {
        return componentwise([=](float b, float p) { return prevWeight * (p - b); }, prev.value, key.value);
    }
    const Key& next = this->keys_[j + 1];
    const float nextWeight = open * (1 + key.continuity) * (1 - key.bias);
    const float span = key.time - prev.time;
    const float around = next.time - prev.time;
    return componentwise(
        [=](float b, float p, float n) { return (prevWeight * (p - b) + nextWeight * (n - p)) * span / around; },
        prev.value, key.value, next.value);
}

} // namespace zamp
