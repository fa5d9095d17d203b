// PNG pictures decoded with libpng directly rather than through SDL_image, whose decoder lets
// libpng print its errors and warnings ("libpng error: ...") to standard error: here they come
// back as words for the player's own message, and nothing is printed.
#pragma once

#include "gfx/Pixels.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace zamp {

// The picture in `bytes` (a whole PNG file) as 32-bit ARGB, converted as SDL_image converts:
// 16-bit channels cut to 8, palettes and grey expanded, transparency to alpha, alpha 0xFF
// where the file has none. Nothing, with libpng's reason in `problem`, when it cannot be
// decoded; sides above kMaxTextureSide are refused before any row is allocated.
std::optional<ArgbImage> decodePng(std::span<const std::uint8_t> bytes, std::string& problem);

} // namespace zamp
