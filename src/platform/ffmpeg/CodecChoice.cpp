#include "platform/ffmpeg/CodecChoice.h"

#include "core/Error.h"

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

#include <cmath>
#include <cstring>

namespace zamp::ffmpeg {

namespace {

bool isWebm(const AVOutputFormat* container) { return std::strcmp(container->name, "webm") == 0; }

const AVCodec* encoderNamed(const char* name, const std::string& path) {
    const AVCodec* encoder = avcodec_find_encoder_by_name(name);
    if (!encoder) throw Error("Cannot write " + path + ": this FFmpeg has no encoder " + name);
    return encoder;
}

// The constant-quality setting's worst value, where the encoder's own range does not say
// it (x264 and x265 declare no upper bound).
double worstConstantQuality(const AVCodecContext* context, const AVOption* option) {
    const std::string name = context->codec->name;
    if (name.rfind("libx264", 0) == 0 || name == "libx265") return 51;
    return option->max > 0 && option->max <= 1000 ? option->max : 51;
}

} // namespace

const AVCodec* chooseVideoEncoder(const AVOutputFormat* container, const std::string& requested,
                                  const std::string& path) {
    if (requested.empty()) return encoderNamed(isWebm(container) ? "libvpx-vp9" : "libx264", path);
    const AVCodec* encoder = encoderNamed(requested.c_str(), path);
    if (encoder->type != AVMEDIA_TYPE_VIDEO)
        throw Error("Cannot write " + path + ": " + requested + " encodes no video");
    if (avformat_query_codec(container, encoder->id, FF_COMPLIANCE_NORMAL) != 1)
        throw Error("Cannot write " + path + ": a " + container->long_name + " file cannot hold " + requested +
                    "'s video (try another --codec, or a .mkv file)");
    return encoder;
}

const AVCodec* chooseAudioEncoder(const AVOutputFormat* container, const std::string& path) {
    return encoderNamed(isWebm(container) ? "libopus" : "aac", path);
}

AVPixelFormat choosePixelFormat(const AVCodec* encoder) {
    if (!encoder->pix_fmts) return AV_PIX_FMT_YUV420P;
    for (const AVPixelFormat* f = encoder->pix_fmts; *f != AV_PIX_FMT_NONE; ++f)
        if (*f == AV_PIX_FMT_YUV420P) return *f;
    return avcodec_find_best_pix_fmt_of_list(encoder->pix_fmts, AV_PIX_FMT_RGB24, 0, nullptr);
}

std::string applyQuality(AVCodecContext* context, int quality) {
    const double fraction = double(100 - quality) / 100.0;
    if (const AVOption* crf = av_opt_find(context->priv_data, "crf", nullptr, 0, 0)) {
        const long value = std::lround(fraction * worstConstantQuality(context, crf));
        av_opt_set_int(context->priv_data, "crf", value, 0);
        // Without a bit rate the VP8, VP9 and AV1 encoders keep to the quality alone.
        context->bit_rate = 0;
        return "CRF " + std::to_string(value);
    }
    // Encoders of the MPEG family take a fixed quantiser: 1 (best) to 31.
    const long q = 1 + std::lround(fraction * 30);
    context->flags |= AV_CODEC_FLAG_QSCALE;
    context->global_quality = int(q) * FF_QP2LAMBDA;
    return "qscale " + std::to_string(q);
}

std::string codecTitle(const AVCodec* encoder) {
    switch (encoder->id) {
    case AV_CODEC_ID_H264: return "H.264";
    case AV_CODEC_ID_HEVC: return "H.265";
    case AV_CODEC_ID_VP8: return "VP8";
    case AV_CODEC_ID_VP9: return "VP9";
    case AV_CODEC_ID_AV1: return "AV1";
    case AV_CODEC_ID_AAC: return "AAC";
    case AV_CODEC_ID_OPUS: return "Opus";
    default: return avcodec_get_name(encoder->id);
    }
}

} // namespace zamp::ffmpeg
