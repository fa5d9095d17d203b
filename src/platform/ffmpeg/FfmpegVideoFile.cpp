// Video files through FFmpeg's libraries: one container, a video stream and, with music, an
// audio stream, written into a temporary file of this writer's own that takes the file's
// name only once it is whole.
#include "platform/VideoFile.h"

#include "core/Error.h"
#include "core/FileWrite.h"
#include "platform/ffmpeg/AudioEncoder.h"
#include "platform/ffmpeg/FfmpegHandles.h"
#include "platform/ffmpeg/VideoEncoder.h"

#include <cstring>
#include <optional>

namespace zamp {

namespace {

using namespace ffmpeg;

const AVOutputFormat* containerFor(const std::string& path) {
    const AVOutputFormat* container = av_guess_format(nullptr, path.c_str(), nullptr);
    if (!container) throw Error("Cannot write " + path + ": its ending names no video file format (.mp4, .mkv, .webm, .mov)");
    return container;
}

// The muxer's context, closed with whatever it has open.
struct OutputFree {
    void operator()(AVFormatContext* f) const {
        if (f->pb) avio_closep(&f->pb);
        avformat_free_context(f);
    }
};

class FfmpegVideoFile final : public VideoFile {
public:
    FfmpegVideoFile(const std::string& path, const VideoFileSettings& settings)
        : path_(path), partial_(path), container_(containerFor(path)) {
        // "file:" keeps a name with a colon from being read as another protocol.
        const std::string url = "file:" + partial_.temporaryPath();
        AVFormatContext* file = nullptr;
        check(avformat_alloc_output_context2(&file, container_, nullptr, url.c_str()), path, "the container");
        file_.reset(file);
        video_.emplace(file, settings, path);
        if (settings.audio) audio_.emplace(file, path);
        check(avio_open(&file->pb, url.c_str(), AVIO_FLAG_WRITE), path, "opening");
        AVDictionary* options = nullptr;
        // MP4 and QuickTime put their index first, so that a page plays the file while it loads.
        if (container_->name == std::string("mp4") || container_->name == std::string("mov"))
            av_dict_set(&options, "movflags", "+faststart", 0);
        const int written = avformat_write_header(file, &options);
        av_dict_free(&options);
        check(written, path, "the header");
    }

    void writeFrame(const RgbImage& frame) override { video_->encode(frame); }

    void writeAudio(const std::int16_t* frames, std::size_t frameCount) override {
        if (audio_) audio_->encode(frames, frameCount);
    }

    void finish() override {
        video_->finish();
        if (audio_) audio_->finish();
        check(av_write_trailer(file_.get()), path_, "the index");
        check(avio_closep(&file_->pb), path_, "closing");
        partial_.commit();
    }

    std::string description() const override {
        return video_->description() + (audio_ ? " with " + audio_->description() : "");
    }

private:
    std::string path_;
    ReplacingFile partial_;
    const AVOutputFormat* container_;
    std::unique_ptr<AVFormatContext, OutputFree> file_;
    // Destroyed before the file: they hold its streams.
    std::optional<VideoEncoder> video_;
    std::optional<AudioEncoder> audio_;
};

} // namespace

std::unique_ptr<VideoFile> openVideoFile(const std::string& path, const VideoFileSettings& settings) {
    // The encoders' statistics and notes are not the user's business; what goes wrong comes
    // back as an Error.
    av_log_set_level(AV_LOG_ERROR);
    return std::make_unique<FfmpegVideoFile>(path, settings);
}

} // namespace zamp
