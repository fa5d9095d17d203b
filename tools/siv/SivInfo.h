// `siv info`: a readable listing of what a SIV file holds.
#pragma once

#include "siv/SivFile.h"

#include <cstdint>
#include <ostream>

namespace zamp::sivtool {

struct InfoOptions {
    bool keys = false; // list every key of every track, not just their count and time span
};

// Counts from the main header, then every record section by section, numbered from 0 as the
// file numbers them (face material indices count from 0 too). `storedSize` and
// `inflatedSize` are the container's two sizes.
void printSivInfo(std::ostream& out, const SivFile& file, std::uint32_t storedSize, std::uint32_t inflatedSize,
                  const InfoOptions& options);

} // namespace zamp::sivtool
