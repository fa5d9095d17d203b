// Image files: decoding pictures into 32-bit pixels and writing PNG files. The back end
// chooses the decoder; the player asks only for what is here.
#pragma once

#include "gfx/Pixels.h"

#include <optional>
#include <string>

namespace zamp {

class ImageFiles {
public:
    virtual ~ImageFiles() = default;

    // The picture in the file at `path`; nothing when it cannot be opened or decoded.
    virtual std::optional<ArgbImage> read(const std::string& path) = 0;

    // Throw an Error naming the path when the file cannot be written.
    virtual void writePng(const std::string& path, const RgbImage& image) = 0;
    virtual void writePng(const std::string& path, const ArgbImage& image) = 0;
};

} // namespace zamp
