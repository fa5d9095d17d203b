// What the fuzz targets share: a scratch folder to work in, holding the few small files that
// inputs may name (pictures, a scene), scenes to seed the corpora with, and the end of a run
// that found a fault.
#pragma once

#include "siv/SivFile.h"

#include <string>

namespace zamp::fuzz {

// Made once, filled with the files below, and made the working folder; returns its path.
//   t.png (2 x 2), data/d.png (3 x 1), b.bmp (2 x 2), s.siv (seedScene(0)), empty.png (no bytes)
const std::string& enterScratchFolder();

// A finding: says what went wrong on standard error and aborts, so libFuzzer keeps the input.
[[noreturn]] void finding(const std::string& what);
inline void check(bool ok, const char* what) {
    if (!ok) finding(what);
}

// Small scenes with a record of every kind: variant 0 a textured quad (t.png) with a camera,
// a point light and tracks; 1 two meshes with their own materials, two cameras animated by
// tracks in both orders and several lights; 2 a 32-bit mesh and rotation tracks.
SivFile seedScene(int variant);

} // namespace zamp::fuzz
