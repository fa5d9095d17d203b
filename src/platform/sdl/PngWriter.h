// PNG files of pictures with alpha (or without), written with libpng's simplified interface
// into memory and then put in place whole: a failure names the file and the system's reason,
// never leaves a cut-off file under the name, and libpng prints nothing.
#pragma once

#include "gfx/Pixels.h"

#include <string>

namespace zamp {

// Throw "Cannot write PATH: reason".
void writePngFile(const std::string& path, const RgbImage& image);
void writePngFile(const std::string& path, const ArgbImage& image);

} // namespace zamp
