#include "app/VideoRender.h"

#include "app/DemoApp.h"
#include "app/FrameWriter.h"
#include "app/Interrupt.h"
#include "app/MusicWav.h"
#include "app/RenderLoop.h"
#include "app/Startup.h"
#include "core/Error.h"
#include "core/ShowFiles.h"
#include "gfx/Device.h"
#include "gfx/Texture.h"
#include "platform/Audio.h"
#include "platform/VideoFile.h"
#include "show/Show.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace zamp {

namespace {

// Feeds the encoder frame after frame, each followed by the music up to its end, so that
// the file's streams go on side by side.
class VideoStage final : public FrameStage {
public:
    VideoStage(VideoFile& file, MusicSource* music, std::uint64_t audioFrames, long videoFrames)
        : file_(file), music_(music), audioFrames_(audioFrames), videoFrames_(videoFrames) {}

    void commit(const RgbImage& frame, const std::string&) override {
        file_.writeFrame(frame);
        ++framesDone_;
        if (!music_) return;
        // The music up to the end of this frame: after the last frame, all of it.
        const auto until = std::uint64_t((unsigned __int128)audioFrames_ * std::uint64_t(framesDone_) /
                                         std::uint64_t(videoFrames_));
        while (audioDone_ < until) {
            const std::size_t count = std::size_t(std::min<std::uint64_t>(until - audioDone_, kBlock));
            block_.resize(count * kAudioChannels);
            music_->read(block_.data(), count);
            file_.writeAudio(block_.data(), count);
            audioDone_ += count;
        }
    }

private:
    static constexpr std::size_t kBlock = 16384;
    VideoFile& file_;
    MusicSource* music_;
    std::uint64_t audioFrames_, audioDone_ = 0;
    long videoFrames_, framesDone_ = 0;
    std::vector<std::int16_t> block_;
};

// The render's name must not be a folder, nor a file the show is made of.
void checkOutputName(const Show& show, const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) throw Error("Cannot write " + path + ": it is a folder");
    std::vector<std::string> files = showFiles(show);
    files.push_back(kScriptPath);
    // The same file under another name too (a link, a path through a link).
    for (const std::string& name : files)
        if (std::filesystem::equivalent(path, showFilePath(name), ec))
            throw Error("Cannot write " + path + ": it is the show's own " + name);
    const auto folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    if (ec) throw Error("Cannot create " + folder.string() + ": " + ec.message());
}

// Samples of music for `videoFrames` frames at `fps`, as music.wav holds.
std::uint64_t audioFramesFor(const std::string& path, long videoFrames, double fps) {
    const double frames = renderAudioFrames(videoFrames, fps);
    // A century of music: far more than any render will draw, and what an integer holds.
    if (!(frames <= 100.0 * 365 * 24 * 3600 * kAudioSampleRate))
        throw Error("Cannot write " + path + ": " +
                    std::to_string(std::llround(std::min(double(videoFrames) / fps, 1e18))) +
                    " s of music is more than a video render makes");
    return std::uint64_t(frames);
}

} // namespace

int renderVideo(DemoApp& app, const CommandLine& cl, const std::string& path) {
    const FrameSequence frames = FrameSequence::untilEnd(app.demoTime, app.show->endTime, cl.fps);
    checkOutputName(*app.show, path);
    std::unique_ptr<MusicSource> music = app.show->music ? openRenderMusic(app) : nullptr;
    const std::uint64_t audioFrames = music ? audioFramesFor(path, frames.count(), frames.fps()) : 0;

    // Everything the file can refuse (its type, the encoder, the size) is refused here, before
    // the first frame is drawn.
    const Surface* target = app.device->renderTarget(0);
    VideoFileSettings settings;
    settings.width = target->width();
    settings.height = target->height();
    settings.fps = frames.fps();
    settings.codec = cl.codec;
    settings.quality = cl.quality.value_or(kDefaultVideoQuality);
    settings.audio = music != nullptr;
    std::unique_ptr<VideoFile> file = openVideoFile(path, settings);

    std::vector<std::unique_ptr<FrameStage>> stages;
    stages.push_back(std::make_unique<VideoStage>(*file, music.get(), audioFrames, frames.count()));
    FrameWriter writer(std::move(stages));
    // A stop leaves no file: a video cut short is no render of the show.
    if (!drawFrames(app, frames, {0, frames.count() - 1}, writer, [](long) { return std::string(); }, false))
        return Interrupt::exitCode();
    file->finish();
    std::printf("zamp: wrote %s: %ld frames at %g frames/s, %s\n", path.c_str(), frames.count(), frames.fps(),
                file->description().c_str());
    return 0;
}

} // namespace zamp
