// The frame shared by every curve family: the key store, the segment search and the rule
// for times that no segment holds. A family derives from it and supplies
//   static constexpr const char* emptyMessage;           // thrown when there are no keys
//   Value interpolate(std::size_t i, float t) const;     // t lies in [keys[i], keys[i+1])
//
// Keys stay in append order: they are never sorted, merged or validated, and the search
// takes them as they stand. Evaluation allocates nothing and keeps no state between calls.
#pragma once

#include "core/Error.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace zamp {

template<class K, class Derived>
class KeyedCurve {
public:
    using Key = K;
    using Value = decltype(K::value);

    void addKey(const Key& key) { keys_.push_back(key); }

    // The first i with keys[i].time <= t < keys[i+1].time, scanning from key 0 every time,
    // or -1. Fewer than two keys hold no interval; a NaN time fails every comparison.
    int findSegment(float t) const noexcept {
        const std::size_t n = keys_.size();
        for (std::size_t i = 0; i + 1 < n; ++i) {
            if (keys_[i].time <= t && t < keys_[i + 1].time) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    // A single key holds at every time. Outside every segment (after the last key, but
    // also before the first) the last key's value holds, not the nearest one's.
    Value evaluate(float t) const {
        if (keys_.empty()) [[unlikely]] {
            throw Error(Derived::emptyMessage); // reaches the application's handler
        }
        if (keys_.size() == 1) {
            return keys_.front().value;
        }
        const int i = findSegment(t);
        if (i < 0) {
            return keys_.back().value;
        }
        return static_cast<const Derived&>(*this).interpolate(static_cast<std::size_t>(i), t);
    }

    // evaluate(t) for a caller whose keys ascend strictly in time (the import's fitter): the
    // same segment found by bisection, so that probing every segment of n keys costs n log n.
    Value evaluateAscending(float t) const {
        if (keys_.size() < 2) return evaluate(t);
        const auto later = std::upper_bound(keys_.begin(), keys_.end(), t, [](float time, const Key& k) { return time < k.time; });
        if (later == keys_.begin() || later == keys_.end()) return keys_.back().value;
        return static_cast<const Derived&>(*this).interpolate(static_cast<std::size_t>(later - keys_.begin()) - 1, t);
    }

    std::size_t keyCount() const noexcept { return keys_.size(); }
    bool hasKeys() const noexcept { return !keys_.empty(); }
    const std::vector<Key>& keys() const noexcept { return keys_; }

protected:
    KeyedCurve() = default;

    std::vector<Key> keys_;
};

} // namespace zamp
