// The music of a render as a WAV file beside its frames: 44.1 kHz, 16-bit, stereo.
#pragma once

#include <cstdint>
#include <string>

namespace zamp {

class MusicSource;

// Writes `frameCount` frames of `source` from where it stands to `path` (through a partial
// file, so a failed write leaves no cut-off file under the name). Throws an Error naming the
// file when it cannot be written.
void writeMusicWav(const std::string& path, MusicSource& source, std::uint64_t frameCount);

// The number of audio frames of `videoFrames` frames at `fps`, to the nearest sample.
std::uint64_t audioFramesFor(long videoFrames, double fps);

} // namespace zamp
