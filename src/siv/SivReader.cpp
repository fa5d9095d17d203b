#include "siv/SivReader.h"

#include "core/Error.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <limits>

namespace zamp {

SivReader::SivReader(std::span<const std::uint8_t> data)
    : SivReader(data, static_cast<std::uint32_t>(data.size())) {}

SivReader::SivReader(std::span<const std::uint8_t> data, std::uint32_t size)
    : data_(data.data()), stored_(static_cast<std::uint32_t>(data.size())), size_(size) {
    assert(data.size() <= std::numeric_limits<std::uint32_t>::max());
    assert(data.size() <= size);
}

SivReader::SivReader(Source& source, std::uint32_t size) : source_(&source), size_(size) {}

void SivReader::read(void* destination, std::uint32_t byteCount) {
    // Written as a comparison with what remains so that position + byteCount cannot wrap.
    if (byteCount > size_ - position_) throw Error(kSivUnderrunMessage);
    if (source_) {
        if (byteCount != 0) source_->copyNext(destination, byteCount);
    } else {
        const std::uint32_t fromData = position_ < stored_ ? std::min(byteCount, stored_ - position_) : 0;
        if (fromData != 0) std::memcpy(destination, data_ + position_, fromData);
        if (fromData != byteCount)
            std::memset(static_cast<std::uint8_t*>(destination) + fromData, 0, byteCount - fromData);
    }
    position_ += byteCount;
}

void SivReader::ensureAvailable(std::int32_t count, std::size_t recordSize) const {
    if (count <= 0) return;
    // count is below 2^31 and recordSize a record's size, so the product fits in 64 bits.
    const auto needed = static_cast<std::uint64_t>(count) * recordSize;
    if (needed > remaining()) throw Error(kSivUnderrunMessage);
}

} // namespace zamp
