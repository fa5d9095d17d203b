// The device-free half of loading a SIV file: open it, check the container, inflate the
// payload and read every record of the six sections into a SivFile. The checks run in the
// file's order and fail with the player's messages:
//   path + " kan ikke \xE5pnes." + why                 the file cannot be opened or read
//   "File " + path + " is not a SIV file."             wrong outer or inner signature, chunk name
//   "File " + path + " Decompression error."           zlib refuses the payload
//   "File " + path + " is incorrect version"           a version other than 7
//   kSivUnderrunMessage (a plain character string)     a read that passes the end of the stream
// and, for damage that would otherwise make the loader read or allocate what the file does not
// hold, with "File " + path + " is truncated: ..." and "... declares ... more than ...", and
// for counts over the bounds of siv/SivLimits.h with "File " + path + ": ... at most ...".
// Run-time messages are thrown as std::string.
#pragma once

#include "siv/SivFile.h"
#include "siv/SivLimits.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zamp {

// An inflated stream: the bytes zlib gave and the size the container declares. A payload
// that inflates to fewer bytes than declared is read as if zeros followed it.
struct SivStream {
    std::vector<std::uint8_t> bytes;
    std::uint32_t size = 0; // >= bytes.size()
};

// Reads and parses the file at `path` (used as given, relative to the working directory).
SivFile readSivFile(const std::string& path);

// The bytes of the file at `path` up to the end of its payload (bytes after it are never
// read); throws the cannot-open message when it is not a regular file or cannot be read. The
// message names `shownPath` when given (the name the script used for the file it found).
std::vector<std::uint8_t> readSivFileBytes(const std::string& path);
std::vector<std::uint8_t> readSivFileBytes(const std::string& path, const std::string& shownPath);

// Parses the bytes of a whole file as stored on disk; `path` only names it in messages.
// `limits` are the scene bounds (tests give smaller ones).
SivFile parseSivFile(std::span<const std::uint8_t> fileBytes, const std::string& path,
                     const SivLimits& limits = kSivLimits);

// Checks the outer container and inflates the payload, in pieces into a buffer that grows as
// data arrives: a forged size allocates nothing that the payload does not really produce.
// A declared size above limits.streamBytes() is refused before anything is inflated.
SivStream inflateSivContainer(std::span<const std::uint8_t> fileBytes, const std::string& path,
                              const SivLimits& limits = kSivLimits);

// Reads an inflated stream: stream header checks, main header, six sections. Bytes after the
// track section are ignored.
SivFile parseSivStream(std::span<const std::uint8_t> stream, const std::string& path,
                       const SivLimits& limits = kSivLimits);
SivFile parseSivStream(const SivStream& stream, const std::string& path, const SivLimits& limits = kSivLimits);

// The most bytes that `compressedSize` bytes of zlib stream can inflate to. Deflate spends at
// least two bits (a length code and a distance code) on a match of at most 258 bytes, so no
// stream expands by more than 1032:1; a declared size above this bound cannot be honest and is
// refused before anything is inflated.
std::uint64_t sivMaxInflatedSize(std::uint32_t compressedSize);

} // namespace zamp
