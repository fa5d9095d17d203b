#include "siv/SivReader.h"

#include "core/Error.h"

#include <cassert>
#include <cstring>
#include <limits>

namespace zamp {

SivReader::SivReader(std::span<const std::uint8_t> data)
    : data_(data.data()), size_(static_cast<std::uint32_t>(data.size())) {
    assert(data.size() <= std::numeric_limits<std::uint32_t>::max());
}

SivReader::SivReader(Source& source, std::uint32_t size) : source_(&source), size_(size) {}

void SivReader::read(void* destination, std::uint32_t byteCount) {
    // Written as a comparison with what remains so that position + byteCount cannot wrap.
    if (byteCount > size_ - position_) throw Error(kSivUnderrunMessage);
    if (byteCount != 0) {
        if (source_)
            source_->copyNext(destination, byteCount);
        else
            std::memcpy(destination, data_ + position_, byteCount);
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
