// The video stream of a video file: RGB frames converted to the encoder's pixel format
// (BT.709, limited range, as players expect of YUV video) and encoded in order.
#pragma once

#include "platform/VideoFile.h"
#include "platform/ffmpeg/EncodedStream.h"

#include <cstdint>
#include <string>

namespace zamp::ffmpeg {

class VideoEncoder {
public:
    // Throws before anything is drawn when the encoder cannot take the settings (an odd
    // width for yuv420p, above all).
    VideoEncoder(AVFormatContext* file, const VideoFileSettings& settings, const std::string& path);

    void encode(const RgbImage& frame);
    void finish();
    std::string description() const { return description_; }

private:
    std::string path_;
    int width_, height_;
    EncodedStream stream_;
    ScalePtr convert_;
    FramePtr frame_ = newFrame();
    std::int64_t next_ = 0;
    std::string description_;
};

} // namespace zamp::ffmpeg
