// Video files: a render's frames and music encoded into one file (MP4, Matroska, WebM or
// QuickTime). The desktop writes them through FFmpeg's libraries; a back end that only plays
// (the web page) leaves this out.
#pragma once

#include "gfx/Pixels.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace zamp {

// The quality scale of --quality: 0 (smallest file) to 100 (best picture). Each codec's own
// constant-quality setting is taken at the same fraction of its range, from its worst to its
// best; 65 gives H.264 a CRF of 18 and VP9 one of 22.
inline constexpr int kMostVideoQuality = 100;
inline constexpr int kDefaultVideoQuality = 65;

struct VideoFileSettings {
    int width = 0;
    int height = 0;
    double fps = 60;
    // The name of a video encoder (`libx265`, `ffv1`, ...); empty: H.264 (libx264) in an MP4,
    // QuickTime or Matroska file, VP9 (libvpx-vp9) in a WebM file.
    std::string codec;
    int quality = kDefaultVideoQuality;
    // Whether music follows: AAC beside H.264 and the others, Opus in a WebM file. Its samples
    // come as the player plays them (44.1 kHz, 16-bit, stereo).
    bool audio = false;
};

// A video file being written. Nothing appears under its name until `finish` has written it
// whole: a file dropped unfinished (a failure, a signal) leaves nothing behind.
class VideoFile {
public:
    virtual ~VideoFile() = default;
    // The next frame, as large as the settings say. Throws an Error naming the file.
    virtual void writeFrame(const RgbImage& frame) = 0;
    // The next `frameCount` interleaved stereo frames of the music.
    virtual void writeAudio(const std::int16_t* frames, std::size_t frameCount) = 0;
    // Ends the streams and puts the file in place of its name. Throws an Error naming the file.
    virtual void finish() = 0;
    // What the file holds, for the user: "H.264 (libx264, yuv420p, CRF 18) with AAC at 192 kb/s".
    virtual std::string description() const = 0;
};

// Opens `path` for writing as the settings ask. Everything that can fail before the first
// frame fails here, with an Error saying why: a name whose ending names no container, an
// encoder that does not exist or that the container cannot hold, a size the encoder cannot
// take (H.264 in yuv420p takes only even widths and heights), a folder that cannot be written.
std::unique_ptr<VideoFile> openVideoFile(const std::string& path, const VideoFileSettings& settings);

} // namespace zamp
