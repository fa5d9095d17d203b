// The audio stream of a video file: the player's 44.1 kHz 16-bit stereo samples converted to
// what the encoder takes (planar floats; 48 kHz for Opus) and cut into the encoder's frames.
#pragma once

#include "platform/ffmpeg/EncodedStream.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace zamp::ffmpeg {

class AudioEncoder {
public:
    AudioEncoder(AVFormatContext* file, const std::string& path);

    void encode(const std::int16_t* frames, std::size_t frameCount);
    // Encodes what is left, the last encoder frame filled with silence where the encoder
    // takes only whole ones, and ends the stream.
    void finish();
    std::string description() const;

private:
    int queueConverted(const std::uint8_t** in, int count);
    void sendWhole(bool last);

    std::string path_;
    EncodedStream stream_;
    ResamplePtr convert_;
    AudioFifoPtr waiting_;
    FramePtr converted_ = newFrame(); // the converter's output, reused while large enough
    int convertedRoom_ = 0;
    FramePtr frame_ = newFrame();
    std::int64_t next_ = 0;
    int frameSize_ = 0;
};

} // namespace zamp::ffmpeg
