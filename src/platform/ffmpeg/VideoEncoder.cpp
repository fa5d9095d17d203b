#include "platform/ffmpeg/VideoEncoder.h"

#include "core/Error.h"
#include "platform/ffmpeg/CodecChoice.h"

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cstring>
#include <new>
#include <thread>

namespace zamp::ffmpeg {

namespace {

// A size the pixel format cannot hold whole: 4:2:0 keeps one colour sample for every two
// pixels each way.
void checkSize(const AVCodec* encoder, AVPixelFormat format, int width, int height, const std::string& path) {
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(format);
    const int stepX = 1 << d->log2_chroma_w, stepY = 1 << d->log2_chroma_h;
    if (width % stepX != 0 || height % stepY != 0) {
        const std::string even = stepX > 1 && stepY > 1 ? "width and height" : stepX > 1 ? "width" : "height";
        throw Error("Cannot write " + path + ": " + codecTitle(encoder) + " in " + d->name + " needs an even " + even +
                    ", and this render is " + std::to_string(width) + "x" + std::to_string(height) +
                    " (give --size an even " + even + ")");
    }
}

void tagColours(AVCodecContext* c, AVPixelFormat format) {
    if (av_pix_fmt_desc_get(format)->flags & AV_PIX_FMT_FLAG_RGB) {
        c->colorspace = AVCOL_SPC_RGB;
        c->color_range = AVCOL_RANGE_JPEG;
    } else {
        c->colorspace = AVCOL_SPC_BT709;
        c->color_range = AVCOL_RANGE_MPEG;
    }
    c->color_primaries = AVCOL_PRI_BT709;
    c->color_trc = AVCOL_TRC_BT709;
}

} // namespace

VideoEncoder::VideoEncoder(AVFormatContext* file, const VideoFileSettings& settings, const std::string& path)
    : path_(path), width_(settings.width), height_(settings.height),
      stream_(file, chooseVideoEncoder(file->oformat, settings.codec, path), path) {
    AVCodecContext* c = stream_.context();
    const AVCodec* encoder = c->codec;
    const AVPixelFormat format = choosePixelFormat(encoder);
    checkSize(encoder, format, width_, height_, path);
    c->width = width_;
    c->height = height_;
    c->pix_fmt = format;
    c->sample_aspect_ratio = {1, 1};
    // Frame k at k / fps: the nearest fraction, exact for whole rates and for 30000/1001.
    const AVRational rate = av_d2q(settings.fps, 1001000);
    c->time_base = av_inv_q(rate);
    c->framerate = rate;
    c->thread_count = 0; // as many as the encoder finds useful
    tagColours(c, format);
    const std::string quality = applyQuality(c, settings.quality);
    if (std::strcmp(encoder->name, "libx264") == 0) {
        // x264's "fast" keeps pace with drawing better than its default "medium" (measured: about
        // 1.5 times the frames per second) for a file some 4 % larger at the same quality.
        av_opt_set(c->priv_data, "preset", "fast", 0);
    }
    if (std::strcmp(encoder->name, "libvpx-vp9") == 0) {
        // libvpx's defaults are its slowest: these keep pace with drawing at little cost.
        av_opt_set(c->priv_data, "deadline", "good", 0);
        av_opt_set_int(c->priv_data, "cpu-used", 4, 0);
        av_opt_set_int(c->priv_data, "row-mt", 1, 0);
        c->thread_count = int(std::clamp(std::thread::hardware_concurrency(), 1u, 16u));
    }
    stream_.open(nullptr);

    convert_.reset(sws_getContext(width_, height_, AV_PIX_FMT_RGB24, width_, height_, format,
                                  SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INP, nullptr, nullptr, nullptr));
    if (!convert_) throw Error("Cannot write " + path + ": no conversion from RGB to " + av_get_pix_fmt_name(format));
    if (!(av_pix_fmt_desc_get(format)->flags & AV_PIX_FMT_FLAG_RGB)) {
        int* inverse = nullptr;
        int* table = nullptr;
        int sourceFull = 0, full = 0, brightness = 0, contrast = 0, saturation = 0;
        sws_getColorspaceDetails(convert_.get(), &inverse, &sourceFull, &table, &full, &brightness, &contrast,
                                 &saturation);
        sws_setColorspaceDetails(convert_.get(), inverse, 1, sws_getCoefficients(SWS_CS_ITU709), 0, brightness,
                                 contrast, saturation);
    }
    frame_->format = format;
    frame_->width = width_;
    frame_->height = height_;
    check(av_frame_get_buffer(frame_.get(), 0), path, "a frame buffer");
    description_ = codecTitle(encoder) + " (" + encoder->name + ", " + av_get_pix_fmt_name(format) +
                   (quality.empty() ? "" : ", " + quality) + ")";
}

void VideoEncoder::encode(const RgbImage& frame) {
    if (frame.width != width_ || frame.height != height_)
        throw Error("Cannot write " + path_ + ": a frame of " + std::to_string(frame.width) + "x" +
                    std::to_string(frame.height) + " in a video of " + std::to_string(width_) + "x" +
                    std::to_string(height_));
    // The encoder may still hold the last frame's buffer.
    check(av_frame_make_writable(frame_.get()), path_, "a frame buffer");
    const std::uint8_t* rows[1] = {frame.pixels.data()};
    const int strides[1] = {width_ * 3};
    sws_scale(convert_.get(), rows, strides, 0, height_, frame_->data, frame_->linesize);
    frame_->pts = next_++;
    stream_.send(frame_.get());
}

void VideoEncoder::finish() { stream_.send(nullptr); }

} // namespace zamp::ffmpeg
