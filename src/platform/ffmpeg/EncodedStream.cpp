#include "platform/ffmpeg/EncodedStream.h"

#include "core/Error.h"

#include <new>

namespace zamp::ffmpeg {

EncodedStream::EncodedStream(AVFormatContext* file, const AVCodec* encoder, std::string path)
    : file_(file), path_(std::move(path)), context_(avcodec_alloc_context3(encoder)) {
    if (!context_) throw std::bad_alloc();
    stream_ = avformat_new_stream(file_, nullptr);
    if (!stream_) throw std::bad_alloc();
    // Containers that keep the codec's set-up in their header (MP4, Matroska) want it there
    // rather than before every key frame.
    if (file_->oformat->flags & AVFMT_GLOBALHEADER) context_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
}

void EncodedStream::open(AVDictionary** options) {
    const int opened = avcodec_open2(context_.get(), context_->codec, options);
    if (opened < 0)
        throw Error("Cannot write " + path_ + ": " + context_->codec->name + " cannot encode this: " + errorText(opened));
    check(avcodec_parameters_from_context(stream_->codecpar, context_.get()), path_, "stream parameters");
    stream_->time_base = context_->time_base;
}

void EncodedStream::send(const AVFrame* frame) {
    check(avcodec_send_frame(context_.get(), frame), path_, std::string(context_->codec->name) + " encoding");
    for (;;) {
        const int received = avcodec_receive_packet(context_.get(), packet_.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return;
        check(received, path_, std::string(context_->codec->name) + " encoding");
        // A video frame lasts one frame (the encoder's time base): without it the file's last
        // frame would last nothing, and players would drop it.
        if (packet_->duration == 0 && context_->codec_type == AVMEDIA_TYPE_VIDEO) packet_->duration = 1;
        // The file may keep another time base than the encoder's.
        av_packet_rescale_ts(packet_.get(), context_->time_base, stream_->time_base);
        packet_->stream_index = stream_->index;
        check(av_interleaved_write_frame(file_, packet_.get()), path_, "writing");
    }
}

} // namespace zamp::ffmpeg
