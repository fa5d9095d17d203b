// The tracks of a SIV file found by (kind, object id). Curves ask for their tracks once per
// mesh and camera, so a scan of every track per question would make a file of N meshes and N
// tracks take N² steps; the index is built once and each question takes log N.
#pragma once

#include "siv/SivFile.h"

#include <cstdint>
#include <span>
#include <vector>

namespace zamp {

class SivTrackIndex {
public:
    // `tracks` must outlive the index.
    explicit SivTrackIndex(std::span<const SivTrackRecord> tracks);

    // The positions of every track with this kind and object id, in file order.
    std::span<const std::uint32_t> find(std::int32_t kind, std::int32_t objectId) const;

    // How many keys the tracks that `find` gives hold together.
    std::uint64_t keyCount(std::int32_t kind, std::int32_t objectId) const;
    // How many keys all tracks hold.
    std::uint64_t totalKeys() const { return keysBefore_.back(); }

    std::span<const SivTrackRecord> tracks() const { return tracks_; }

private:
    static std::uint64_t slot(std::int32_t kind, std::int32_t objectId);

    std::span<const SivTrackRecord> tracks_;
    // Track positions sorted by (kind, id), file order within one (kind, id), and their slots.
    std::vector<std::uint32_t> order_;
    std::vector<std::uint64_t> slots_;
    // keysBefore_[i]: the keys of the tracks order_[0 .. i-1], so a count takes no scan.
    std::vector<std::uint64_t> keysBefore_;
};

} // namespace zamp
