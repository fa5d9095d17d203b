#include "support/PictureBytes.h"

#include <zlib.h>

#include <algorithm>
#include <map>
#include <utility>

namespace zamp::test {

namespace {

void putBe32(std::string& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}
void putLe16(std::string& out, std::uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void putLe32(std::string& out, std::uint32_t v) {
    putLe16(out, v & 0xFFFF);
    putLe16(out, v >> 16);
}

const std::string kPngSignature = "\x89PNG\r\n\x1A\n";

std::string ihdr(std::uint32_t w, std::uint32_t h) {
    std::string data;
    putBe32(data, w);
    putBe32(data, h);
    data += std::string("\x08\x06\x00\x00\x00", 5); // 8-bit RGBA, deflate, no filter, no interlace
    return pngChunk("IHDR", data);
}

} // namespace

std::string pngChunk(const std::string& type, const std::string& data) {
    std::string out;
    putBe32(out, static_cast<std::uint32_t>(data.size()));
    const std::string body = type + data;
    out += body;
    putBe32(out, static_cast<std::uint32_t>(
                     crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
    return out;
}

std::string pngPicture(int w, int h, std::uint32_t argb, const std::string& extraChunks) {
    std::string raw;
    for (int y = 0; y < h; ++y) {
        raw += '\0'; // filter: none
        for (int x = 0; x < w; ++x) {
            raw += static_cast<char>((argb >> 16) & 0xFF);
            raw += static_cast<char>((argb >> 8) & 0xFF);
            raw += static_cast<char>(argb & 0xFF);
            raw += static_cast<char>(argb >> 24);
        }
    }
    std::string packed(compressBound(static_cast<uLong>(raw.size())), '\0');
    uLongf packedSize = static_cast<uLongf>(packed.size());
    compress(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(raw.data()),
             static_cast<uLong>(raw.size()));
    packed.resize(packedSize);
    return kPngSignature + ihdr(static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h)) + extraChunks +
           pngChunk("IDAT", packed) + pngChunk("IEND", "");
}

std::string pngHeaderOnly(std::uint32_t w, std::uint32_t h) { return kPngSignature + ihdr(w, h); }

std::string tgaPicture(int w, int h, std::size_t bodyBytes) {
    std::string out(18, '\0');
    out[2] = 2; // uncompressed true colour
    std::string size;
    putLe16(size, static_cast<std::uint32_t>(w));
    putLe16(size, static_cast<std::uint32_t>(h));
    out.replace(12, 4, size);
    out[16] = 32;
    out[17] = 0x28; // top-left origin, 8 alpha bits
    return out + std::string(bodyBytes, '\x7F');
}

std::string gifPicture(int w, int h) {
    std::string out = "GIF89a";
    putLe16(out, static_cast<std::uint32_t>(w));
    putLe16(out, static_cast<std::uint32_t>(h));
    out += std::string("\x80\x00\x00", 3);                   // a global table of 2 colours
    out += std::string("\x00\x00\x00\xFF\xFF\xFF", 6);       // black, white
    out += std::string("\x21\xF9\x04\x00\x00\x00\x00\x00", 8); // a graphic control extension
    out += ',';
    putLe16(out, 0);
    putLe16(out, 0);
    putLe16(out, static_cast<std::uint32_t>(w));
    putLe16(out, static_cast<std::uint32_t>(h));
    out += '\0';
    // LZW with 2-bit codes: clear, pixel 1, end.
    out += std::string("\x02\x02\x4C\x01\x00\x3B", 6);
    return out;
}

namespace {

// LZW as GIF codes it: codes from minimumBits + 1 bits up to 12, a clear code first and
// whenever the table is full, packed LSB first into sub-blocks of at most 255 bytes.
std::string gifLzw(const std::vector<std::uint8_t>& symbols, int minimumBits) {
    const int clear = 1 << minimumBits, end = clear + 1;
    std::string packed;
    std::uint32_t buffer = 0;
    int held = 0, bits = minimumBits + 1, next = clear + 2;
    auto emit = [&](int code) {
        buffer |= std::uint32_t(code) << held;
        held += bits;
        while (held >= 8) {
            packed += static_cast<char>(buffer & 0xFF);
            buffer >>= 8;
            held -= 8;
        }
    };
    std::map<std::pair<int, int>, int> table;
    emit(clear);
    int current = -1;
    for (std::uint8_t s : symbols) {
        if (current < 0) {
            current = s;
            continue;
        }
        const auto found = table.find({current, s});
        if (found != table.end()) {
            current = found->second;
            continue;
        }
        emit(current);
        if (next < 4096) {
            table[{current, s}] = next++;
            if (next > (1 << bits) && bits < 12) ++bits;
        } else {
            emit(clear);
            table.clear();
            bits = minimumBits + 1;
            next = clear + 2;
        }
        current = s;
    }
    if (current >= 0) {
        emit(current);
        // The decoder adds an entry after this code too, and may widen its codes for the end.
        if (next < 4096 && next == (1 << bits) && bits < 12) ++bits;
    }
    emit(end);
    if (held > 0) packed += static_cast<char>(buffer & 0xFF);
    std::string blocks;
    for (std::size_t at = 0; at < packed.size(); at += 255) {
        const std::size_t size = std::min<std::size_t>(255, packed.size() - at);
        blocks += static_cast<char>(size);
        blocks += packed.substr(at, size);
    }
    return blocks + '\0';
}

std::string gifColours(int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += static_cast<char>(i * 37 & 0xFF);
        out += static_cast<char>(255 - i);
        out += static_cast<char>(i * 5 & 0xFF);
    }
    return out;
}

int tableBits(int colours) { // the flags' size field: 2^(n+1) entries
    int n = 0;
    while ((2 << n) < colours) ++n;
    return n;
}

} // namespace

std::string gifPicture(const GifFrame& frame) {
    std::string out = "GIF89a";
    putLe16(out, static_cast<std::uint32_t>(frame.width));
    putLe16(out, static_cast<std::uint32_t>(frame.height));
    out += static_cast<char>(frame.globalColours ? 0x80 | tableBits(frame.globalColours) : tableBits(256));
    out += std::string("\0\0", 2);
    out += gifColours(frame.globalColours ? 2 << tableBits(frame.globalColours) : 0);
    if (frame.transparent >= 0) {
        out += std::string("\x21\xF9\x04\x01\x00\x00", 6);
        out += static_cast<char>(frame.transparent);
        out += '\0';
    }
    out += ',';
    putLe16(out, 0);
    putLe16(out, 0);
    putLe16(out, static_cast<std::uint32_t>(frame.width));
    putLe16(out, static_cast<std::uint32_t>(frame.height));
    out += static_cast<char>((frame.localColours ? 0x80 | tableBits(frame.localColours) : 0) | (frame.interlaced ? 0x40 : 0));
    out += gifColours(frame.localColours ? 2 << tableBits(frame.localColours) : 0);
    // Interlaced frames store their rows in four passes.
    std::vector<std::uint8_t> stored;
    if (frame.interlaced) {
        for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
            for (int y = start; y < frame.height; y += step)
                stored.insert(stored.end(), frame.indices.begin() + std::ptrdiff_t(y) * frame.width,
                              frame.indices.begin() + std::ptrdiff_t(y + 1) * frame.width);
    } else {
        stored = frame.indices;
    }
    out += static_cast<char>(frame.minimumBits);
    out += gifLzw(stored, frame.minimumBits);
    return out + ';';
}

std::string bmpPicture(std::int32_t w, std::int32_t h, std::size_t bodyBytes) {
    std::string out = "BM";
    putLe32(out, static_cast<std::uint32_t>(54 + bodyBytes));
    putLe32(out, 0);
    putLe32(out, 54);
    putLe32(out, 40);
    putLe32(out, static_cast<std::uint32_t>(w));
    putLe32(out, static_cast<std::uint32_t>(h));
    putLe16(out, 1);
    putLe16(out, 32);
    putLe32(out, 0); // no compression
    putLe32(out, static_cast<std::uint32_t>(bodyBytes));
    putLe32(out, 2835);
    putLe32(out, 2835);
    putLe32(out, 0);
    putLe32(out, 0);
    return out + std::string(bodyBytes, '\x40');
}

std::string jpegHeader(int w, int h) {
    std::string out = "\xFF\xD8";
    out += std::string("\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 18);
    out += std::string("\xFF\xC0\x00\x11\x08", 5);
    out += static_cast<char>((h >> 8) & 0xFF);
    out += static_cast<char>(h & 0xFF);
    out += static_cast<char>((w >> 8) & 0xFF);
    out += static_cast<char>(w & 0xFF);
    out += std::string("\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01", 10);
    return out;
}

std::string emptyColourXpm() {
    return "/* XPM */\nstatic char *x[] = {\n\"1 1 1 1\",\n\"\",\n\"a\"\n};\n";
}

std::string hugeSvg() {
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"40000\" height=\"40000\">"
           "<rect width=\"40000\" height=\"40000\"/></svg>\n";
}

} // namespace zamp::test
