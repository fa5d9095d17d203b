// Picture files made byte by byte: headers that declare any size, damaged files and files of
// formats the player does not read, for the tests of hostile pictures (and the fuzz corpus).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zamp::test {

// One PNG chunk: length, type, data, CRC.
std::string pngChunk(const std::string& type, const std::string& data);
// A PNG of w x h 8-bit RGBA pixels, all `argb`, with `extraChunks` (whole chunks) before IDAT.
std::string pngPicture(int w, int h, std::uint32_t argb, const std::string& extraChunks = "");
// Only the signature and an IHDR that declares w x h (8-bit RGBA): nothing to decode.
std::string pngHeaderOnly(std::uint32_t w, std::uint32_t h);

// An uncompressed 32-bit TGA header declaring w x h, followed by `bodyBytes` bytes of pixels.
std::string tgaPicture(int w, int h, std::size_t bodyBytes);
// A GIF whose screen and first image declare w x h, with a tiny image body.
std::string gifPicture(int w, int h);
// A GIF of one w x h frame holding `indices`, LZW-coded with `minimumBits`, with a global
// colour table of `globalColours` entries (none when 0) and a local one of `localColours`
// (none when 0), interlaced or not, and a graphic control extension with `transparent` as its
// transparent index (none when below 0). Colour i of a table is (i * 37, 255 - i, i * 5 & 255).
struct GifFrame {
    int width = 1, height = 1;
    std::vector<std::uint8_t> indices; // width * height, in row order
    int minimumBits = 8;
    int globalColours = 256;
    int localColours = 0;
    bool interlaced = false;
    int transparent = -1;
};
std::string gifPicture(const GifFrame& frame);

// A BMP (40-byte info header, 32 bits a pixel) declaring w x h, with `bodyBytes` of pixels.
std::string bmpPicture(std::int32_t w, std::int32_t h, std::size_t bodyBytes);
// A JPEG start: SOI, an APP0 segment, and a baseline frame header declaring w x h.
std::string jpegHeader(int w, int h);

// An XPM whose colour line is empty (crashed SDL_image's XPM decoder) and an SVG that asks
// for 40000 x 40000 pixels: formats the player does not read.
std::string emptyColourXpm();
std::string hugeSvg();

} // namespace zamp::test
