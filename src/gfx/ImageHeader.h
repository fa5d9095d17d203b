// What a picture file is, from its first bytes: one of the five formats the player reads (PNG,
// JPG, TGA, BMP, GIF) and the size its header declares, found before anything is decoded so
// that a few forged bytes cannot make a decoder allocate gigabytes. Nothing else is sniffed:
// other formats (XPM, SVG, ...) are not pictures to the player.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace zamp {

enum class ImageFormat { Png, Jpeg, Gif, Bmp, Tga };

struct ImageHeader {
    ImageFormat format;
    // As declared: for GIF the largest of its frames (the decoder may decode any of them).
    // 0 where the header does not say (it is cut short before the size).
    std::int64_t width = 0;
    std::int64_t height = 0;
};

// The format by signature (PNG, JPG, GIF, BMP); a file with none of them is a TGA when its
// 18-byte header is one (TGA has no signature). Nothing when it is none of the five.
std::optional<ImageHeader> readImageHeader(std::span<const std::uint8_t> bytes);

// "PNG", "JPG", "GIF", "BMP", "TGA".
const char* imageFormatName(ImageFormat format);

} // namespace zamp
