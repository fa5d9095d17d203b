#include "platform/ffmpeg/AudioEncoder.h"

#include "core/Error.h"
#include "platform/Audio.h"
#include "platform/ffmpeg/CodecChoice.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
}

#include <algorithm>
#include <climits>
#include <new>
#include <vector>

namespace zamp::ffmpeg {

namespace {

AVSampleFormat chooseSampleFormat(const AVCodec* encoder) {
    if (!encoder->sample_fmts) return AV_SAMPLE_FMT_FLTP;
    for (const AVSampleFormat* f = encoder->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f)
        if (*f == AV_SAMPLE_FMT_FLTP) return *f;
    return encoder->sample_fmts[0];
}

// The player's rate where the encoder takes it, else the nearest rate above (Opus: 48 kHz).
int chooseSampleRate(const AVCodec* encoder) {
    if (!encoder->supported_samplerates) return kAudioSampleRate;
    int best = 0;
    for (const int* r = encoder->supported_samplerates; *r != 0; ++r) {
        if (*r == kAudioSampleRate) return *r;
        if (*r > kAudioSampleRate && (best == 0 || *r < best)) best = *r;
        if (best == 0 && *r > 0) best = *r;
    }
    return best;
}

// Bits per second: transparent for music at either codec's usual rates.
std::int64_t bitRateFor(const AVCodec* encoder) { return encoder->id == AV_CODEC_ID_OPUS ? 160000 : 192000; }

} // namespace

AudioEncoder::AudioEncoder(AVFormatContext* file, const std::string& path)
    : path_(path), stream_(file, chooseAudioEncoder(file->oformat, path), path) {
    AVCodecContext* c = stream_.context();
    const AVCodec* encoder = c->codec;
    c->sample_fmt = chooseSampleFormat(encoder);
    c->sample_rate = chooseSampleRate(encoder);
    c->ch_layout = AV_CHANNEL_LAYOUT_STEREO;
    c->bit_rate = bitRateFor(encoder);
    c->time_base = {1, c->sample_rate};
    stream_.open(nullptr);
    frameSize_ = c->frame_size > 0 ? c->frame_size : 1024;

    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO; // FFmpeg 5 takes it as not const
    SwrContext* convert = nullptr;
    check(swr_alloc_set_opts2(&convert, &stereo, c->sample_fmt, c->sample_rate, &stereo, AV_SAMPLE_FMT_S16,
                              kAudioSampleRate, 0, nullptr),
          path, "audio conversion");
    convert_.reset(convert);
    check(swr_init(convert_.get()), path, "audio conversion");
    waiting_.reset(av_audio_fifo_alloc(c->sample_fmt, 2, frameSize_ * 4));
    if (!waiting_) throw std::bad_alloc();
}

std::string AudioEncoder::description() const {
    const AVCodecContext* c = stream_.context();
    return codecTitle(c->codec) + " at " + std::to_string(c->bit_rate / 1000) + " kb/s";
}

void AudioEncoder::encode(const std::int16_t* frames, std::size_t frameCount) {
    // In pieces that the converter's int counts hold.
    constexpr std::size_t kPiece = 1 << 16;
    while (frameCount > 0) {
        const int count = int(std::min(frameCount, kPiece));
        const int room = swr_get_out_samples(convert_.get(), count);
        check(room, path_, "audio conversion");
        std::uint8_t** planes = nullptr;
        check(av_samples_alloc_array_and_samples(&planes, nullptr, 2, std::max(room, 1),
                                                 stream_.context()->sample_fmt, 0),
              path_, "audio buffer");
        const std::uint8_t* in[1] = {reinterpret_cast<const std::uint8_t*>(frames)};
        const int made = swr_convert(convert_.get(), planes, room, in, count);
        int stored = 0;
        if (made > 0) stored = av_audio_fifo_write(waiting_.get(), reinterpret_cast<void**>(planes), made);
        av_freep(&planes[0]);
        av_freep(&planes);
        check(made, path_, "audio conversion");
        check(stored, path_, "audio buffer");
        frames += std::size_t(count) * 2;
        frameCount -= std::size_t(count);
        while (av_audio_fifo_size(waiting_.get()) >= frameSize_) sendWhole(false);
    }
}

void AudioEncoder::sendWhole(bool last) {
    AVCodecContext* c = stream_.context();
    const int have = std::min(av_audio_fifo_size(waiting_.get()), frameSize_);
    const bool smallLastFrame = c->codec->capabilities & (AV_CODEC_CAP_SMALL_LAST_FRAME | AV_CODEC_CAP_VARIABLE_FRAME_SIZE);
    av_frame_unref(frame_.get());
    frame_->nb_samples = last && smallLastFrame ? have : frameSize_;
    frame_->format = c->sample_fmt;
    frame_->sample_rate = c->sample_rate;
    check(av_channel_layout_copy(&frame_->ch_layout, &c->ch_layout), path_, "audio frame");
    check(av_frame_get_buffer(frame_.get(), 0), path_, "audio frame");
    av_samples_set_silence(frame_->extended_data, 0, frame_->nb_samples, 2, c->sample_fmt);
    check(av_audio_fifo_read(waiting_.get(), reinterpret_cast<void**>(frame_->extended_data), have), path_,
          "audio buffer");
    frame_->pts = next_;
    next_ += frame_->nb_samples;
    stream_.send(frame_.get());
}

void AudioEncoder::finish() {
    // What the converter still holds (its filter's delay, when it changes the rate).
    for (;;) {
        const int room = swr_get_out_samples(convert_.get(), 0);
        if (room <= 0) break;
        std::uint8_t** planes = nullptr;
        check(av_samples_alloc_array_and_samples(&planes, nullptr, 2, room, stream_.context()->sample_fmt, 0), path_,
              "audio buffer");
        const int made = swr_convert(convert_.get(), planes, room, nullptr, 0);
        if (made > 0) av_audio_fifo_write(waiting_.get(), reinterpret_cast<void**>(planes), made);
        av_freep(&planes[0]);
        av_freep(&planes);
        if (made <= 0) break;
    }
    while (av_audio_fifo_size(waiting_.get()) >= frameSize_) sendWhole(false);
    if (av_audio_fifo_size(waiting_.get()) > 0) sendWhole(true);
    stream_.send(nullptr);
}

} // namespace zamp::ffmpeg
