// GIF pictures decoded here rather than by SDL2_image, whose LZW decoder (2.6) follows a code
// table with a cycle in it past the end of its stack and writes over the heap (found by
// image_fuzz). This one gives the pixels SDL2_image gave for every sound file: the first
// frame at its own size, its colours from its own colour table or the global one (entries past
// the table white, as an SDL palette starts), the transparent index of the last graphic
// control extension before it transparent; pixels the data does not reach stay at index 0.
#pragma once

#include "gfx/Pixels.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace zamp {

// Nothing, with the reason in `problem`, for a file whose first frame cannot be read.
std::optional<ArgbImage> decodeGif(std::span<const std::uint8_t> bytes, std::string& problem);

} // namespace zamp
