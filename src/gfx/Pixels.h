// Pictures in memory, top row first: what image files decode to and what the device reads
// back from a render target.
#pragma once

#include <cstdint>
#include <vector>

namespace zamp {

// 32-bit pixels, 0xAARRGGBB; pictures without alpha read 0xFF.
struct ArgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels; // width * height
};

// 8-bit RGB.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels; // width * height * 3
};

} // namespace zamp
