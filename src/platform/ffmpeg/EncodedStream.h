// One stream of a video file: its encoder and the packets it gives, written to the file in
// the stream's time.
#pragma once

#include "platform/ffmpeg/FfmpegHandles.h"

#include <string>

namespace zamp::ffmpeg {

class EncodedStream {
public:
    // A stream in `file` for `encoder`, whose settings are made but which is not yet open.
    EncodedStream(AVFormatContext* file, const AVCodec* encoder, std::string path);

    AVCodecContext* context() const { return context_.get(); }
    // Opens the encoder with the settings made on `context()` and gives the stream its
    // parameters. Throws "Cannot write PATH: NAME cannot encode this: reason".
    void open(AVDictionary** options);
    // Encodes `frame` (null: the end of the stream) and writes what the encoder gives back.
    void send(const AVFrame* frame);

private:
    AVFormatContext* file_;
    std::string path_;
    AVStream* stream_ = nullptr;
    CodecContextPtr context_;
    PacketPtr packet_ = newPacket();
};

} // namespace zamp::ffmpeg
