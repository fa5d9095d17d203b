// A bounds-checked cursor over an inflated SIV stream, in memory or inflated as it is read.
// Every field, record and array of the stream is taken with `read`, which never copies past
// the end: a read that does not fit copies nothing and throws the underrun message.
//
// The stream may be shorter than the size its container declares (a payload that inflates to
// fewer bytes): the reader still covers the declared size, and the bytes past the inflated
// data read as zeros, without being stored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>
#include <vector>

namespace zamp {

// The text of the Error a read past the end throws.
inline constexpr const char* kSivUnderrunMessage = "aiai! sivread buffer underrun! kontakt vek asap!";

class SivReader {
public:
    // Where the bytes of a stream that is not in memory come from.
    class Source {
    public:
        // Copies the next `byteCount` bytes of the stream to `destination`; the reader never
        // asks for more than the size it was given in all.
        virtual void copyNext(void* destination, std::uint32_t byteCount) = 0;

    protected:
        ~Source() = default;
    };

    // `data` must outlive the reader and hold at most 2^32 - 1 bytes (the stream's size comes
    // from a 32-bit field of the container).
    explicit SivReader(std::span<const std::uint8_t> data);
    // A stream of `size` bytes that `source` (which must outlive the reader) delivers in order.
    SivReader(Source& source, std::uint32_t size);
    // Covers `size` bytes, of which the first data.size() are `data` and the rest zeros.
    SivReader(std::span<const std::uint8_t> data, std::uint32_t size);

    // Copies the next byteCount bytes to `destination` and moves past them. Throws
    // kSivUnderrunMessage, copying nothing, when fewer than byteCount bytes remain.
    void read(void* destination, std::uint32_t byteCount);

    template <class Record>
    Record read() {
        static_assert(std::is_trivially_copyable_v<Record>);
        Record record;
        read(&record, sizeof(Record));
        return record;
    }

    // `count` records back to back. A count that the remaining bytes cannot hold fails before
    // anything is allocated, so a forged count cannot make the loader reserve memory; the
    // message is the same underrun that reading the records one by one would end with.
    template <class Record>
    std::vector<Record> readArray(std::int32_t count) {
        static_assert(std::is_trivially_copyable_v<Record>);
        if (count <= 0) return {};
        ensureAvailable(count, sizeof(Record));
        std::vector<Record> records(static_cast<std::size_t>(count));
        read(records.data(), static_cast<std::uint32_t>(static_cast<std::uint32_t>(count) * sizeof(Record)));
        return records;
    }

    // Throws the underrun message unless `count` records of `recordSize` bytes remain.
    void ensureAvailable(std::int32_t count, std::size_t recordSize) const;

    std::uint32_t position() const { return position_; }
    std::uint32_t size() const { return size_; }
    std::uint32_t remaining() const { return size_ - position_; }

private:
    const std::uint8_t* data_ = nullptr;
    std::uint32_t stored_ = 0; // bytes of data_; those after it up to size_ are zeros
    Source* source_ = nullptr;
    std::uint32_t position_ = 0;
    std::uint32_t size_;
};

} // namespace zamp
