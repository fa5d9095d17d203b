#include "platform/sdl/GifReader.h"

#include "gfx/Texture.h"

#include <algorithm>
#include <array>
#include <vector>

namespace zamp {

namespace {

constexpr int kMostCodeBits = 12;
constexpr int kMostCodes = 1 << kMostCodeBits;

class Cursor {
public:
    explicit Cursor(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    bool has(std::size_t count) const { return count <= bytes_.size() - at_; }
    int next() { return at_ < bytes_.size() ? bytes_[at_++] : -1; }
    unsigned le16(std::size_t offset) const { return bytes_[at_ + offset] | bytes_[at_ + offset + 1] << 8; }
    std::uint8_t at(std::size_t offset) const { return bytes_[at_ + offset]; }
    void skip(std::size_t count) { at_ += count; }
    // Past a run of sub-blocks, up to and with the empty one.
    void skipSubBlocks() {
        for (int size = next(); size > 0; size = next()) skip(std::min<std::size_t>(std::size_t(size), bytes_.size() - at_));
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

// A colour table: 0xAARRGGBB entries, white past what the file gives.
using Palette = std::array<std::uint32_t, 256>;

bool readPalette(Cursor& in, int entries, Palette& palette) {
    if (!in.has(std::size_t(entries) * 3)) return false;
    for (int i = 0; i < entries; ++i)
        palette[i] = 0xFF000000u | std::uint32_t(in.at(3 * i)) << 16 | std::uint32_t(in.at(3 * i + 1)) << 8 |
                     in.at(3 * i + 2);
    in.skip(std::size_t(entries) * 3);
    return true;
}

// The image data's codes, LSB first, from its chain of sub-blocks.
class CodeStream {
public:
    explicit CodeStream(Cursor& in) : in_(in) {}
    // The next code of `bits` bits; -1 when the data ends.
    int next(int bits) {
        while (held_ < bits) {
            if (left_ == 0) {
                const int size = ended_ ? -1 : in_.next();
                if (size <= 0) {
                    ended_ = true;
                    return -1;
                }
                left_ = size;
            }
            const int byte = in_.next();
            if (byte < 0) {
                ended_ = true;
                return -1;
            }
            --left_;
            buffer_ |= std::uint32_t(byte) << held_;
            held_ += 8;
        }
        const int code = int(buffer_ & ((1u << bits) - 1));
        buffer_ >>= bits;
        held_ -= bits;
        return code;
    }

private:
    Cursor& in_;
    std::uint32_t buffer_ = 0;
    int held_ = 0;
    int left_ = 0;
    bool ended_ = false;
};

// Decodes the LZW data of one frame into `indices` in the order the rows are stored
// (interlaced or not); stops at the end code, at the end of the data, at a code the table
// does not hold, or when every pixel has its index.
void decodeIndices(Cursor& in, int minimumBits, int width, int height, bool interlaced,
                   std::vector<std::uint8_t>& indices) {
    const int clear = 1 << minimumBits, end = clear + 1;
    std::array<std::uint16_t, kMostCodes> prefix{};
    std::array<std::uint8_t, kMostCodes> suffix{};
    std::array<std::uint8_t, kMostCodes> first{};
    std::array<std::uint8_t, kMostCodes + 1> string{};
    for (int c = 0; c < clear; ++c) suffix[c] = first[c] = std::uint8_t(c);

    int bits = minimumBits + 1, next = clear + 2, previous = -1;
    int x = 0, y = 0, pass = 0;
    auto put = [&](std::uint8_t index) {
        indices[std::size_t(y) * width + x] = index;
        if (++x < width) return true;
        x = 0;
        if (!interlaced) return ++y < height;
        static constexpr int kStep[] = {8, 8, 4, 2}, kStart[] = {0, 4, 2, 1};
        y += kStep[pass];
        while (y >= height) {
            if (++pass == 4) return false;
            y = kStart[pass];
        }
        return true;
    };

    CodeStream codes(in);
    for (int code = codes.next(bits); code >= 0; code = codes.next(bits)) {
        if (code == clear) {
            bits = minimumBits + 1;
            next = clear + 2;
            previous = -1;
            continue;
        }
        if (code == end) return;
        int length = 0, walk;
        if (previous < 0) {
            if (code >= clear) return; // no string to start from
            walk = code;
        } else if (code < next) {
            walk = code;
        } else if (code == next) {
            string[length++] = first[previous]; // the string of the previous code and its first byte
            walk = previous;
        } else {
            return; // a code the table does not hold yet
        }
        // Table strings are walked from their end. A prefix always names an older code, so
        // the walk ends within the table's size (the LZW decoder of SDL2_image 2.6 lacked this
        // and could loop round a cycle a crafted file made).
        while (walk >= clear) {
            string[length++] = suffix[walk];
            walk = prefix[walk];
        }
        string[length++] = suffix[walk];
        const std::uint8_t firstOfString = string[length - 1];
        if (previous >= 0 && next < kMostCodes) {
            prefix[next] = std::uint16_t(previous);
            suffix[next] = firstOfString;
            first[next] = first[previous];
            ++next;
            if (next == 1 << bits && bits < kMostCodeBits) ++bits;
        }
        previous = code;
        while (length > 0)
            if (!put(string[--length])) return;
    }
}

} // namespace

std::optional<ArgbImage> decodeGif(std::span<const std::uint8_t> bytes, std::string& problem) {
    Cursor in(bytes);
    if (!in.has(13)) {
        problem = "it ends inside its header";
        return std::nullopt;
    }
    const std::uint8_t screenFlags = in.at(10);
    in.skip(13);
    // Without a global table, the frame's colours come from a table of black entries.
    Palette global;
    global.fill(0xFFFFFFFFu);
    const int globalEntries = 2 << (screenFlags & 7);
    if (screenFlags & 0x80) {
        if (!readPalette(in, globalEntries, global)) {
            problem = "it ends inside its colour table";
            return std::nullopt;
        }
    } else {
        for (int i = 0; i < globalEntries; ++i) global[i] = 0xFF000000u;
    }

    int transparent = -1;
    for (int block = in.next(); block >= 0; block = in.next()) {
        if (block == 0x3B) break; // the trailer: no frame
        if (block == 0x21) {
            const int label = in.next();
            if (label == 0xF9 && in.has(5) && in.at(0) >= 4) {
                if (in.at(1) & 1) transparent = in.at(4);
            }
            in.skipSubBlocks();
            continue;
        }
        if (block != 0x2C) continue; // a byte that starts no block is passed over
        if (!in.has(9)) break;
        const int width = int(in.le16(4)), height = int(in.le16(6));
        const std::uint8_t flags = in.at(8);
        in.skip(9);
        Palette local;
        local.fill(0xFFFFFFFFu);
        if ((flags & 0x80) && !readPalette(in, 1 << ((flags & 7) + 1), local)) break;
        const Palette& palette = (flags & 0x80) ? local : global;
        const int minimumBits = in.next();
        if (minimumBits < 0) break;
        if (minimumBits < 1 || minimumBits > kMostCodeBits - 1 || width == 0 || height == 0 ||
            width > kMaxTextureSide || height > kMaxTextureSide) {
            problem = "its first frame cannot be read";
            return std::nullopt;
        }
        std::vector<std::uint8_t> indices(std::size_t(width) * height, 0);
        decodeIndices(in, minimumBits, width, height, (flags & 0x40) != 0, indices);
        ArgbImage image;
        image.width = width;
        image.height = height;
        image.pixels.resize(indices.size());
        for (std::size_t i = 0; i < indices.size(); ++i) {
            const std::uint32_t colour = palette[indices[i]];
            image.pixels[i] = indices[i] == transparent ? colour & 0x00FFFFFFu : colour;
        }
        return image;
    }
    problem = "it holds no frame";
    return std::nullopt;
}

} // namespace zamp
