#include "siv/SivTrackIndex.h"

#include <algorithm>
#include <numeric>

namespace zamp {

std::uint64_t SivTrackIndex::slot(std::int32_t kind, std::int32_t objectId) {
    return (std::uint64_t{static_cast<std::uint32_t>(kind)} << 32) | static_cast<std::uint32_t>(objectId);
}

SivTrackIndex::SivTrackIndex(std::span<const SivTrackRecord> tracks) : tracks_(tracks), order_(tracks.size()) {
    std::iota(order_.begin(), order_.end(), 0u);
    auto slotOf = [&](std::uint32_t t) { return slot(tracks[t].header.kind, tracks[t].header.objectId); };
    // Stable: tracks of one (kind, id) keep their file order.
    std::stable_sort(order_.begin(), order_.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return slotOf(a) < slotOf(b); });
    slots_.reserve(order_.size());
    keysBefore_.reserve(order_.size() + 1);
    keysBefore_.push_back(0);
    for (std::uint32_t t : order_) {
        slots_.push_back(slotOf(t));
        keysBefore_.push_back(keysBefore_.back() + tracks[t].keys.size());
    }
}

std::span<const std::uint32_t> SivTrackIndex::find(std::int32_t kind, std::int32_t objectId) const {
    const auto [first, last] = std::equal_range(slots_.begin(), slots_.end(), slot(kind, objectId));
    return std::span<const std::uint32_t>(order_).subspan(static_cast<std::size_t>(first - slots_.begin()),
                                                          static_cast<std::size_t>(last - first));
}

std::uint64_t SivTrackIndex::keyCount(std::int32_t kind, std::int32_t objectId) const {
    const auto [first, last] = std::equal_range(slots_.begin(), slots_.end(), slot(kind, objectId));
    return keysBefore_[static_cast<std::size_t>(last - slots_.begin())] -
           keysBefore_[static_cast<std::size_t>(first - slots_.begin())];
}

} // namespace zamp
