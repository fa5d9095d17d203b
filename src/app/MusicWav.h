// The music of a render as a WAV file beside its frames: 44.1 kHz, 16-bit, stereo.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace zamp {

class MusicSource;

// The audio frames of `videoFrames` frames at `fps`, to the nearest sample, as a double so
// that a caller checks its own limit before converting it. Every render's music is this long.
double renderAudioFrames(long videoFrames, double fps);

// The number of audio frames of `videoFrames` frames at `fps`, to the nearest sample. Throws
// "Cannot write PATH: N s of music is more than a WAV file can hold" when a WAV file cannot
// hold them (checked before anything is converted to an integer, so that no frame rate,
// however small, makes the count wrap around).
std::uint64_t musicWavFrames(const std::string& path, long videoFrames, double fps);

// Writes `frameCount` frames (at most what musicWavFrames allows) of `source` from where it
// stands to `path`, through a temporary file, so that a failed or stopped write leaves no
// cut-off file under the name. Looks at `stop` after each block of a second or so: once it
// is set, the temporary file is removed and the result is false. Throws an Error naming the
// file when it cannot be written.
bool writeMusicWav(const std::string& path, MusicSource& source, std::uint64_t frameCount,
                   const std::atomic<bool>& stop);

} // namespace zamp
