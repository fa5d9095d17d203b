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
    waiting_.reset(av_audio_fifo_alloc(c->sample_fmt, kAudioChannels, frameSize_ * 4));
    if (!waiting_) throw std::bad_alloc();
    // One encoder frame, filled anew each time.
    frame_->format = c->sample_fmt;
    frame_->sample_rate = c->sample_rate;
    frame_->nb_samples = frameSize_;
    check(av_channel_layout_copy(&frame_->ch_layout, &c->ch_layout), path, "audio frame");
    check(av_frame_get_buffer(frame_.get(), 0), path, "audio frame");
}

std::string AudioEncoder::description() const {
    const AVCodecContext* c = stream_.context();
    return codecTitle(c->codec) + " at " + std::to_string(c->bit_rate / 1000) + " kb/s";
}

// Converts `count` frames at `in` (none: what the converter still holds back, its filter's
// delay when it changes the rate) into the buffer that goes round, and queues them for the
// encoder. Returns how many came out.
int AudioEncoder::queueConverted(const std::uint8_t** in, int count) {
    const int room = check(swr_get_out_samples(convert_.get(), count), path_, "audio conversion");
    if (room <= 0) return 0;
    if (convertedRoom_ < room) {
        av_frame_unref(converted_.get());
        converted_->format = stream_.context()->sample_fmt;
        converted_->nb_samples = room;
        check(av_channel_layout_copy(&converted_->ch_layout, &stream_.context()->ch_layout), path_, "audio buffer");
        check(av_frame_get_buffer(converted_.get(), 0), path_, "audio buffer");
        convertedRoom_ = room;
    }
    const int made = check(swr_convert(convert_.get(), converted_->extended_data, room, in, count), path_,
                           "audio conversion");
    if (made > 0)
        check(av_audio_fifo_write(waiting_.get(), reinterpret_cast<void**>(converted_->extended_data), made), path_,
              "audio buffer");
    return made;
}

void AudioEncoder::encode(const std::int16_t* frames, std::size_t frameCount) {
    // In pieces that the converter's int counts hold.
    constexpr std::size_t kPiece = 1 << 16;
    while (frameCount > 0) {
        const int count = int(std::min(frameCount, kPiece));
        const std::uint8_t* in[1] = {reinterpret_cast<const std::uint8_t*>(frames)};
        queueConverted(in, count);
        frames += std::size_t(count) * kAudioChannels;
        frameCount -= std::size_t(count);
        while (av_audio_fifo_size(waiting_.get()) >= frameSize_) sendWhole(false);
    }
}

void AudioEncoder::sendWhole(bool last) {
    AVCodecContext* c = stream_.context();
    const int have = std::min(av_audio_fifo_size(waiting_.get()), frameSize_);
    const bool smallLastFrame = c->codec->capabilities & (AV_CODEC_CAP_SMALL_LAST_FRAME | AV_CODEC_CAP_VARIABLE_FRAME_SIZE);
    // The encoder may still hold the last frame's buffer.
    check(av_frame_make_writable(frame_.get()), path_, "audio frame");
    frame_->nb_samples = last && smallLastFrame ? have : frameSize_;
    av_samples_set_silence(frame_->extended_data, 0, frame_->nb_samples, kAudioChannels, c->sample_fmt);
    check(av_audio_fifo_read(waiting_.get(), reinterpret_cast<void**>(frame_->extended_data), have), path_,
          "audio buffer");
    frame_->pts = next_;
    next_ += frame_->nb_samples;
    stream_.send(frame_.get());
}

void AudioEncoder::finish() {
    while (queueConverted(nullptr, 0) > 0) {
    }
    while (av_audio_fifo_size(waiting_.get()) >= frameSize_) sendWhole(false);
    if (av_audio_fifo_size(waiting_.get()) > 0) sendWhole(true);
    stream_.send(nullptr);
}

} // namespace zamp::ffmpeg
