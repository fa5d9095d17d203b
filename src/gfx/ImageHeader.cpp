#include "gfx/ImageHeader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace zamp {

namespace {

// Reads past the end give 0, so a header cut short declares no size.
class Bytes {
public:
    explicit Bytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::size_t size() const { return bytes_.size(); }
    bool has(std::size_t offset, std::size_t count) const {
        return offset <= bytes_.size() && count <= bytes_.size() - offset;
    }
    std::uint32_t u8(std::size_t at) const { return at < bytes_.size() ? bytes_[at] : 0; }
    std::uint32_t le16(std::size_t at) const { return u8(at) | u8(at + 1) << 8; }
    std::uint32_t be16(std::size_t at) const { return u8(at) << 8 | u8(at + 1); }
    std::uint32_t le32(std::size_t at) const { return le16(at) | le16(at + 2) << 16; }
    std::uint32_t be32(std::size_t at) const { return be16(at) << 16 | be16(at + 2); }
    bool startsWith(const char* text, std::size_t count) const {
        return has(0, count) && std::memcmp(bytes_.data(), text, count) == 0;
    }

private:
    std::span<const std::uint8_t> bytes_;
};

ImageHeader png(const Bytes& b) {
    // The IHDR chunk comes first: length, "IHDR", width, height (big-endian).
    ImageHeader h{ImageFormat::Png};
    if (b.has(12, 16) && b.be32(12) == 0x49484452) { // "IHDR"
        h.width = b.be32(16);
        h.height = b.be32(20);
    }
    return h;
}

ImageHeader jpeg(const Bytes& b) {
    ImageHeader h{ImageFormat::Jpeg};
    // Markers after SOI: each segment but the few stand-alone ones has a 16-bit length; the
    // size is in the first start-of-frame segment (SOF0..SOF15 but DHT, JPG and DAC).
    std::size_t at = 2;
    while (at + 4 <= b.size()) {
        if (b.u8(at) != 0xFF) return h;
        const std::uint32_t marker = b.u8(at + 1);
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            at += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) return h; // image data or end before any frame
        const std::uint32_t length = b.be16(at + 2);
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            if (b.has(at + 4, 5)) {
                h.height = b.be16(at + 5);
                h.width = b.be16(at + 7);
            }
            return h;
        }
        if (length < 2) return h;
        at += 2 + length;
    }
    return h;
}

// Past a run of sub-blocks (a length byte, that many bytes) up to the empty one.
std::size_t skipSubBlocks(const Bytes& b, std::size_t at) {
    while (b.has(at, 1) && b.u8(at) != 0) at += 1 + b.u8(at);
    return at + 1;
}

ImageHeader gif(const Bytes& b) {
    ImageHeader h{ImageFormat::Gif};
    // Logical screen descriptor and its colour table, then blocks, walked as the decoder
    // walks them: it skips any byte that starts no block, and when a frame fails it goes on to
    // the next. Every frame it may decode counts, so the size is the largest frame's.
    std::size_t at = 13;
    if (b.u8(10) & 0x80) at += 3u << ((b.u8(10) & 7) + 1);
    while (b.has(at, 1)) {
        const std::uint32_t block = b.u8(at);
        if (block == 0x3B) break; // the trailer
        if (block == 0x21) {      // an extension: its label, then sub-blocks
            at = skipSubBlocks(b, at + 2);
        } else if (block == 0x2C) { // an image: left, top, width, height, flags, data
            if (!b.has(at, 10)) break;
            h.width = std::max<std::int64_t>(h.width, b.le16(at + 5));
            h.height = std::max<std::int64_t>(h.height, b.le16(at + 7));
            const std::uint32_t flags = b.u8(at + 9);
            at += 10;
            if (flags & 0x80) at += 3u << ((flags & 7) + 1); // its own colour table
            at = skipSubBlocks(b, at + 1);                   // past the code size, the data
        } else {
            ++at;
        }
    }
    return h;
}

ImageHeader bmp(const Bytes& b) {
    ImageHeader h{ImageFormat::Bmp};
    const std::uint32_t infoSize = b.le32(14);
    if (infoSize == 12 && b.has(14, 12)) { // the old core header: 16-bit sizes
        h.width = b.le16(18);
        h.height = b.le16(20);
    } else if (infoSize >= 40 && b.has(14, 40)) {
        // Signed: a negative height means the rows are stored top first.
        h.width = std::llabs(static_cast<std::int32_t>(b.le32(18)));
        h.height = std::llabs(static_cast<std::int32_t>(b.le32(22)));
    }
    return h;
}

// TGA has no signature: a header whose fields all hold values the format defines.
std::optional<ImageHeader> tga(const Bytes& b) {
    if (!b.has(0, 18)) return std::nullopt;
    const std::uint32_t colourMapType = b.u8(1), imageType = b.u8(2), depth = b.u8(16);
    const bool knownType = imageType == 1 || imageType == 2 || imageType == 3 || imageType == 9 ||
                           imageType == 10 || imageType == 11;
    const bool knownDepth = depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
    if (colourMapType > 1 || !knownType || !knownDepth || b.le16(12) == 0 || b.le16(14) == 0) return std::nullopt;
    return ImageHeader{ImageFormat::Tga, b.le16(12), b.le16(14)};
}

} // namespace

std::optional<ImageHeader> readImageHeader(std::span<const std::uint8_t> bytes) {
    const Bytes b(bytes);
    if (b.startsWith("\x89PNG\r\n\x1A\n", 8)) return png(b);
    if (b.startsWith("\xFF\xD8\xFF", 3)) return jpeg(b);
    if (b.startsWith("GIF87a", 6) || b.startsWith("GIF89a", 6)) return gif(b);
    if (b.startsWith("BM", 2)) return bmp(b);
    return tga(b);
}

const char* imageFormatName(ImageFormat format) {
    switch (format) {
    case ImageFormat::Png: return "PNG";
    case ImageFormat::Jpeg: return "JPG";
    case ImageFormat::Gif: return "GIF";
    case ImageFormat::Bmp: return "BMP";
    case ImageFormat::Tga: return "TGA";
    }
    return "?";
}

} // namespace zamp
