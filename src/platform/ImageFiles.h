// Image files: decoding pictures into 32-bit pixels and writing PNG files. The back end
// chooses the decoder; the player asks only for what is here.
#pragma once

#include "gfx/Pixels.h"

#include <optional>
#include <string>
#include <utility>

namespace zamp {

// A picture read from a file, or why there is none.
struct ImageLoad {
    std::optional<ArgbImage> image;
    // When there is no image, why, in words that follow the file's name in a message:
    // "does not exist", "is not a PNG, JPG, TGA, BMP or GIF picture", "is 9000 by 20 pixels,
    // more than the 8192 by 8192 a texture may have", ...
    std::string problem;
    // True when the file does not exist at all (a second place may then be tried).
    bool missing = false;

    static ImageLoad refused(std::string problem, bool missing = false) {
        ImageLoad load;
        load.problem = std::move(problem);
        load.missing = missing;
        return load;
    }
};

class ImageFiles {
public:
    virtual ~ImageFiles() = default;

    // The picture in the file at `path`: only a regular file, only PNG, JPG, TGA, BMP and GIF,
    // and only when its header declares a size of at most kMaxTextureSide a side (checked
    // before it is decoded).
    virtual ImageLoad load(const std::string& path) = 0;

    // The picture, or nothing when `load` gives none.
    std::optional<ArgbImage> read(const std::string& path) { return load(path).image; }

    // Throw an Error naming the path when the file cannot be written.
    virtual void writePng(const std::string& path, const RgbImage& image) = 0;
    virtual void writePng(const std::string& path, const ArgbImage& image) = 0;
};

} // namespace zamp
