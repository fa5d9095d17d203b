// The example tune's instruments, synthesised as signed 8-bit module samples. Everything is
// computed from fixed seeds, so the same build writes the same file.
//
// Pitch: a sample whose waveform repeats every `cycle` bytes, played at period p, sounds at
// 3546895 / (p * cycle) Hz. The drums are made for one playback rate (the rate of the note
// they are triggered with) and have no pitch to keep.
#pragma once

#include <cstdint>
#include <vector>

namespace makemusic {

// A plucked string (Karplus-Strong) repeating every `cycle` bytes, dying away over `length`
// bytes; higher `damping` (0..1) shortens it.
std::vector<std::int8_t> pluck(int cycle, std::size_t length, double damping, std::uint32_t seed);

// `cycles` repetitions of one soft, flute-like cycle of `cycle` bytes, for a sample that
// loops over all of it.
std::vector<std::int8_t> softLead(int cycle, int cycles);

// Drums for playback at `rate` samples per second.
std::vector<std::int8_t> kick(double rate);
std::vector<std::int8_t> snare(double rate, std::uint32_t seed);
std::vector<std::int8_t> hat(double rate, std::uint32_t seed);

} // namespace makemusic
