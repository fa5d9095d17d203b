// The zlib payload of a SIV container inflated as the parser reads it, straight into the
// records it fills: no buffer for the whole stream. It reads as inflating the whole payload
// at once does (inflateSivContainer): a payload that ends before the declared size reads as
// if zeros followed it, and
//   "File " + path + " Decompression error."   zlib refuses the payload, it stops inside its
//                                              zlib stream, or it inflates to more than the
//                                              declared size
#pragma once

#include "siv/SivReader.h"

#include <zlib.h>

#include <cstdint>
#include <span>
#include <string>

namespace zamp {

class SivInflater final : public SivReader::Source {
public:
    SivInflater(std::span<const std::uint8_t> payload, std::uint32_t declaredSize, std::string path);
    ~SivInflater();
    SivInflater(const SivInflater&) = delete;
    SivInflater& operator=(const SivInflater&) = delete;

    void copyNext(void* destination, std::uint32_t byteCount) override;

    // Inflates what the reader did not ask for and checks that the payload ends at the
    // declared size. Throws the payload's own failure, if it has one; a second call, or a call
    // after copyNext threw, does nothing.
    void finish();

private:
    // Inflates into `out` until `size` bytes are there; at the declared size, until the
    // payload's end is checked.
    void inflateInto(std::uint8_t* out, std::uint32_t size);
    [[noreturn]] void fail(const std::string& text);

    z_stream stream_{};
    std::uint32_t declaredSize_;
    std::string path_;
    bool ended_ = false; // the payload's end marker was read
    bool done_ = false;
};

} // namespace zamp
