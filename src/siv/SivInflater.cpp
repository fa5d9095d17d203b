#include "siv/SivInflater.h"

#include "core/Error.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace zamp {

SivInflater::SivInflater(std::span<const std::uint8_t> payload, std::uint32_t declaredSize, std::string path)
    : declaredSize_(declaredSize), path_(std::move(path)) {
    // The container's size fields are 32 bits wide, so the payload fits zlib's counters.
    stream_.next_in = const_cast<Bytef*>(payload.data());
    stream_.avail_in = static_cast<uInt>(payload.size());
    if (inflateInit(&stream_) != Z_OK) {
        done_ = true;
        throw Error("File " + path_ + " Decompression error.");
    }
}

SivInflater::~SivInflater() { inflateEnd(&stream_); }

void SivInflater::fail(const std::string& text) {
    done_ = true;
    throw Error("File " + path_ + " " + text);
}

void SivInflater::inflateInto(std::uint8_t* out, std::uint32_t size) {
    // After a payload that ended early, the rest of the declared size reads as zeros.
    if (ended_) {
        std::memset(out, 0, size);
        return;
    }
    stream_.next_out = out;
    stream_.avail_out = size;
    const bool toTheEnd = stream_.total_out + size == declaredSize_;
    for (;;) {
        const int result = inflate(&stream_, Z_NO_FLUSH);
        if (result == Z_STREAM_END) {
            ended_ = true;
            std::memset(stream_.next_out, 0, stream_.avail_out);
            return;
        }
        // A payload that needs more room than the declared size, ends early without its end
        // marker, or is damaged.
        if (result != Z_OK) fail("Decompression error.");
        // At the declared size the payload must still reach its end marker (without output).
        if (stream_.avail_out == 0 && !toTheEnd) return;
    }
}

void SivInflater::copyNext(void* destination, std::uint32_t byteCount) {
    inflateInto(static_cast<std::uint8_t*>(destination), byteCount);
}

void SivInflater::finish() {
    if (done_) return;
    if (!ended_) {
        // zlib needs somewhere to write even when nothing is left to write.
        std::vector<std::uint8_t> scratch(1u << 16);
        while (!ended_) {
            const std::uint32_t left = declaredSize_ - static_cast<std::uint32_t>(stream_.total_out);
            inflateInto(scratch.data(), std::min<std::uint32_t>(left, static_cast<std::uint32_t>(scratch.size())));
        }
    }
    done_ = true;
}

} // namespace zamp
