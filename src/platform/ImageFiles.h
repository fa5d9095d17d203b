// Reading image files into 32-bit ARGB pixels and writing RGB pictures as PNG, through
// SDL2_image.
#pragma once

#include "platform/Texture.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zamp {

struct ArgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels; // 0xAARRGGBB, top row first; files without alpha read 0xFF
};

// Nothing when the file cannot be opened or decoded.
std::optional<ArgbImage> readImageFile(const std::string& path);

// Throws a std::string naming the path when the file cannot be written.
void writePng(const std::string& path, const RgbImage& image);
// The same for a picture with alpha.
void writePng(const std::string& path, const ArgbImage& image);

} // namespace zamp
