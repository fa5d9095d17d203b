// Which encoders a video file gets, and what --quality means to each.
#pragma once

#include "platform/ffmpeg/FfmpegHandles.h"

#include <string>

namespace zamp::ffmpeg {

// `requested` (an encoder's name) or the container's usual video encoder: libvpx-vp9 for
// WebM, libx264 for the others. Throws "Cannot write PATH: ..." when there is no such video
// encoder or the container cannot hold what it makes.
const AVCodec* chooseVideoEncoder(const AVOutputFormat* container, const std::string& requested,
                                  const std::string& path);
// Opus for WebM, AAC for the others.
const AVCodec* chooseAudioEncoder(const AVOutputFormat* container, const std::string& path);

// yuv420p where the encoder takes it (what every player decodes), else the encoder's format
// closest to RGB.
AVPixelFormat choosePixelFormat(const AVCodec* encoder);

// Sets the encoder's constant-quality setting to `quality` (0..100) of its range and says
// what it set ("CRF 18"); empty when the encoder has no such setting.
std::string applyQuality(AVCodecContext* context, int quality);

// The encoder's name as people know it: "H.264", "VP9".
std::string codecTitle(const AVCodec* encoder);

} // namespace zamp::ffmpeg
