// Tracker modules through libmodplug as the player plays them, on the desktop and in the browser alike:
// the settings SDL_mixer has always given it (16-bit stereo at the mixer's rate, oversampled
// with FIR resampling, no effects, the song looping as the module itself loops) and full
// master volume.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct _ModPlugFile;

namespace zamp {

struct ModuleFileUnload {
    void operator()(_ModPlugFile* file) const;
};
using ModuleFile = std::unique_ptr<_ModPlugFile, ModuleFileUnload>;

// A module being played, the same frames whoever reads it in whatever pieces, and movable to
// any frame of its playback exactly.
//
// libmodplug goes on past the end of a song to the end of the piece it was asked for (the
// notes still sounding die away) and only then says the song has ended, so where a module
// starts again would depend on the sizes its reader asks for: it is always asked for blocks of
// the same size, counted from the module's start.
//
// Its own seeking only estimates where a time lies in the song (from the speed and tempo the
// song starts with) and drops the commands before the new place, so a module is positioned
// instead by decoding from its start and discarding the frames before the place: what follows
// is then sample for sample what playing on from the beginning gives there, loops included.
class ModulePlayback {
public:
    // Null when libmodplug does not accept the bytes. They are kept: going back means loading
    // the module again, into the state its first frame is decoded from.
    static std::unique_ptr<ModulePlayback> open(std::vector<unsigned char> bytes);

    // Fills `frames` stereo frames and moves on. At the end of a module that does not loop by
    // itself it goes on from the beginning, as SDL_mixer plays it; a module that gives nothing
    // even then gives silence.
    void read(std::int16_t* out, std::size_t frames);
    // Moves to the frame nearest `seconds` after the beginning (before it, or more than an
    // hour after it: the beginning). Forward from where it stands costs the decoding of the
    // frames in between; backward, of every frame up to the place.
    void seek(double seconds);
    // Where the song loops, as libmodplug estimates it, in seconds.
    double length() const;

private:
    ModulePlayback(std::vector<unsigned char> bytes, ModuleFile file);
    void restart(ModuleFile file);

    std::vector<unsigned char> bytes_;
    ModuleFile file_;
    std::uint64_t frame_ = 0;        // frames given since the module was loaded
    std::vector<std::int16_t> block_; // the block being given
    std::size_t blockUsed_ = 0;       // its frames already given
};

} // namespace zamp
