// Tracker modules through libmodplug as the player plays them, on the desktop and in the browser alike:
// the settings SDL_mixer has always given it (16-bit stereo at the mixer's rate, oversampled
// with FIR resampling, no effects, the song looping as the module itself loops) and full
// master volume.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

struct _ModPlugFile;

namespace zamp {

struct ModuleFileUnload {
    void operator()(_ModPlugFile* file) const;
};
using ModuleFile = std::unique_ptr<_ModPlugFile, ModuleFileUnload>;

// The module in `bytes`, ready to play; null when libmodplug does not accept them.
ModuleFile loadModule(const void* bytes, std::size_t size);

// Fills `frames` stereo frames and moves on. At the end of a module that does not loop by
// itself it goes on from the beginning, as SDL_mixer plays it; a module that gives nothing
// even then gives silence.
void readModule(_ModPlugFile* file, std::int16_t* out, std::size_t frames);

// As closely as libmodplug's estimate of the song's timing allows.
void seekModule(_ModPlugFile* file, double seconds);

// Where the song loops, as libmodplug estimates it, in seconds.
double moduleLength(_ModPlugFile* file);

} // namespace zamp
