// A picture file as every back end's decoders get it: a regular file, not larger than any
// picture the player takes can be, of one of the five formats, whose header declares a size
// a texture can have. All of it is checked before a decoder sees a byte, so the decoders
// never meet a named pipe, a forged size or a format the player does not promise.
#pragma once

#include "gfx/ImageHeader.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zamp {

struct PictureFile {
    std::vector<std::uint8_t> bytes; // the whole file, when `problem` is empty
    ImageHeader header{};
    // Why the file is no picture, in words that follow its name in a message: "does not
    // exist", "is not a PNG, JPG, TGA, BMP or GIF picture", "is 9000 by 20 pixels, more than
    // the 8192 by 8192 a texture may have", ...; empty when the file may be decoded.
    std::string problem;
    bool missing = false; // the file does not exist at all (a second place may be tried)

    // The words for a file that passed the checks but that its decoder refused:
    // "is a damaged PNG picture (" + why + ")".
    std::string damaged(const std::string& why) const;
};

// "W by H": a picture's size as messages give it.
std::string pictureSizeText(std::int64_t width, std::int64_t height);

// Opens `path` (as given) as core/RegularFile.h does and checks it as above.
PictureFile readPictureFile(const std::string& path);

// The same checks on bytes already in memory.
PictureFile checkPictureBytes(std::vector<std::uint8_t> bytes);

} // namespace zamp
