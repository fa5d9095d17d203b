// Writes SIV files: the inflated stream from a SivFile, and the "ZSIV" container around it.
// Used by the siv tool and by tests that need files with exact contents.
#pragma once

#include "core/FileWrite.h"
#include "siv/SivFile.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zamp {

enum class SivCounts {
    FromContents, // every count (main header, vertex, face and key counts) is the size of its array
    AsStored,     // counts are written as they stand in the headers, even when they disagree
                  // with the arrays: for making damaged files on purpose
};

// The inflated stream: stream header, main header, the six sections with their names.
std::vector<std::uint8_t> buildSivStream(const SivFile& file, SivCounts counts = SivCounts::FromContents);

// The file as stored: "ZSIV", the stream's size, the payload's size, and the stream deflated
// with zlib's `compress2` at `level` (what zlib's `uncompress` reads). Throws std::string when
// zlib fails.
std::vector<std::uint8_t> wrapSivStream(std::span<const std::uint8_t> stream, int level = -1);

// wrapSivStream(buildSivStream(file)).
std::vector<std::uint8_t> encodeSivFile(const SivFile& file);

// Writes `bytes` to `path`; throws an Error when the file cannot be written.
void writeBinaryFile(const std::string& path, std::span<const std::uint8_t> bytes);

// writeFileReplacing (core/FileWrite.h) writes through a partial file instead.

} // namespace zamp
