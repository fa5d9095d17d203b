// A 4-channel ProTracker module ("M.K."): up to 31 signed 8-bit samples, patterns of 64 rows
// and an order list, written in the byte layout every tracker and module player reads.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace makemusic {

constexpr int kChannels = 4;
constexpr int kRows = 64;

// Notes as ProTracker counts them: C-1 is 0, B-3 is 35 (the three octaves it can play).
enum Note : int { C = 0, Cs, D, Ds, E, F, Fs, G, Gs, A, As, B };
constexpr int note(int pitch, int octave) { return (octave - 1) * 12 + pitch; }

// The Amiga period of a note: the sample plays at 3546895 / period samples per second.
int period(int note);

struct Sample {
    std::string name;
    std::vector<std::int8_t> data;  // even length, at most 131070 bytes
    int volume = 64;                // 0..64
    int loopStart = 0;              // bytes, even; used when loopLength > 2
    int loopLength = 0;             // bytes, even; 0 for a sample that plays once
};

struct Cell {
    int sample = 0;  // 1..31, 0 to keep the channel's sample
    int note = -1;   // -1 for no note
    int effect = 0;  // 0x0..0xF
    int param = 0;   // 0x00..0xFF
};

using Row = std::array<Cell, kChannels>;
using Pattern = std::array<Row, kRows>;

struct Module {
    std::string title;
    std::vector<Sample> samples;    // at most 31
    std::vector<Pattern> patterns;  // at most 64
    std::vector<int> orders;        // 1..128 pattern numbers
};

// The file's bytes. Throws std::invalid_argument when a limit above is broken.
std::vector<std::uint8_t> writeModule(const Module& module);

} // namespace makemusic
