#include "app/RenderLoop.h"

#include "app/DemoApp.h"
#include "app/FrameWriter.h"
#include "app/Interrupt.h"
#include "core/ShowFiles.h"
#include "gfx/Device.h"
#include "platform/Authoring.h"
#include "show/Show.h"

#include <chrono>
#include <cstdio>
#include <unistd.h>

namespace zamp {

namespace {

class Progress {
public:
    explicit Progress(long total) : total_(total), shown_(isatty(STDERR_FILENO)) {}
    ~Progress() {
        if (shown_ && done_ > 0) std::fputc('\n', stderr);
    }

    void frameDone(double demoTime) {
        ++done_;
        if (!shown_) return;
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began_).count();
        const double rate = seconds > 0 ? double(done_) / seconds : 0.0;
        std::fprintf(stderr, "\rframe %ld/%ld  t=%.3f s  %.1f frames/s  %.0f s left ", done_, total_, demoTime, rate,
                     rate > 0 ? double(total_ - done_) / rate : 0.0);
    }

private:
    long total_, done_ = 0;
    bool shown_;
    std::chrono::steady_clock::time_point began_ = std::chrono::steady_clock::now();
};

} // namespace

bool drawFrames(DemoApp& app, const FrameSequence& frames, FrameRange range, FrameWriter& writer,
                const std::function<std::string(long)>& name, bool keepLastOnStop) {
    // Frame k is drawn while frame k - 1 is read back and handed to the writer's threads.
    Device& device = *app.device;
    // A readback still running when drawing fails must end before its buffer goes; the
    // failure that ends the run is the one already on its way.
    struct FinishReadbacks {
        Device& device;
        ~FinishReadbacks() {
            try {
                device.finishReadbacks();
            } catch (...) {
            }
        }
    } finishFirst{device};
    Progress progress(range.last - range.first + 1);
    for (long k = range.first; k <= range.last; ++k) {
        app.demoTime = frames.timeOf(k);
        app.renderFrame();
        device.finishReadbacks();
        if (k > range.first) writer.write(name(k - 1));
        device.startReadback(writer.buffer());
        if (Interrupt::requested()) {
            device.finishReadbacks();
            if (keepLastOnStop) writer.write(name(k));
            writer.finish();
            return false;
        }
        progress.frameDone(double(app.demoTime));
    }
    device.finishReadbacks();
    if (range.last >= range.first) writer.write(name(range.last));
    writer.finish();
    return true;
}

std::unique_ptr<MusicSource> openRenderMusic(DemoApp& app) {
    const auto& choice = app.show->music;
    std::unique_ptr<MusicSource> source = openMusicSource(showFilePath(choice->path));
    if (!source) {
        app.show->warnings.add(noMusicWarning(choice->path));
        return nullptr;
    }
    source->seek(choice->startSeconds);
    return source;
}

} // namespace zamp
