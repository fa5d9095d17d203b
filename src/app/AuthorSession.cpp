#include "app/AuthorSession.h"

#include "app/DemoApp.h"
#include "app/Interrupt.h"
#include "app/MusicSync.h"
#include "core/DisplayText.h"
#include "core/Error.h"
#include "core/RegularFile.h"
#include "core/ShowFiles.h"
#include "script/ScriptHost.h"
#include "gfx/Device.h"
#include "platform/Window.h"
#include "show/Show.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <thread>

namespace zamp {

namespace {

constexpr const char* kScriptPath = "data/script.lua";
// Files are looked at and the title is written four times a second: a change shows within
// half a second, and the numbers stay readable.
constexpr double kLookEvery = 0.25;
constexpr double kWarningsShownFor = 8.0;
// The loop rests when a frame took less than this, so the author's mode does not use a core
// to draw the same picture hundreds of times a second.
constexpr auto kShortestFrame = std::chrono::milliseconds(8);

std::string musicState(const Show& show) {
    if (!show.music) return {};
    std::error_code ec;
    const auto time = std::filesystem::last_write_time(showFilePath(show.music->path), ec);
    return show.music->path + "@" + std::to_string(show.music->startSeconds) + "@" +
           (ec ? std::string("-") : std::to_string(time.time_since_epoch().count()));
}

} // namespace

AuthorSession::AuthorSession(DemoApp& app, bool syncMusic) : app_(app), syncMusic_(syncMusic) {
    startMusic();
    watchFiles();
    showMessages();
}

float AuthorSession::musicSecondsAt(float demoTime) const {
    const Show& show = *app_.show;
    const double from = show.music && app_.music.loaded() ? show.music->startSeconds : 0.0;
    return float(from + double(demoTime) - double(show.startTime));
}

void AuthorSession::startMusic() {
    const Show& show = *app_.show;
    musicFileState_ = musicState(show);
    if (!show.music) {
        app_.music.fadeOut();
        return;
    }
    if (!app_.music.load(showFilePath(show.music->path))) {
        app_.show->warnings.add(noMusicWarning(show.music->path));
        return;
    }
    app_.music.play();
    app_.music.moveTo(musicSecondsAt(app_.demoTime));
    app_.music.setPaused(paused_);
    app_.clock.reset(); // the time spent decoding is no time the show has played
}

void AuthorSession::watchFiles() {
    // The script, what the show playing looked for, and after a failed load what that
    // attempt looked for (a file it did not find appearing is a change).
    std::vector<std::string> files{showFilePath(kScriptPath)};
    if (app_.script) files.insert(files.end(), app_.script->chunkFiles().begin(), app_.script->chunkFiles().end());
    const std::vector<std::string> sought = showFilesSought(*app_.show);
    files.insert(files.end(), sought.begin(), sought.end());
    files.insert(files.end(), app_.filesOfFailedLoad.begin(), app_.filesOfFailedLoad.end());
    watch_.watch(files);
}

void AuthorSession::showMessages() {
    std::string text = error_;
    if (warningsShownFor_ < kWarningsShownFor)
        for (const std::string& warning : app_.show->warnings.all())
            text += (text.empty() ? "" : "\n") + ("warning: " + warning);
    overlay_.setText(*app_.device, displayText(text), app_.backBuffer->width());
}

void AuthorSession::showError(const std::string& text) {
    error_ = text;
    showMessages();
}

bool AuthorSession::reload() {
    try {
        if (app_.loadShow(kScriptPath, true) == ScriptRun::FileMissing) {
            const std::string what = describeWhatIsAt(showFilePath(kScriptPath));
            throw Error("Script Error! (" + std::string(kScriptPath) + " " + (what == "does not exist" ? "is gone" : what) + ")");
        }
    } catch (const Error& e) {
        error_ = e.what();
        std::cerr << displayText(error_) << '\n';
        watchFiles(); // the last good show's files, the script, what the attempt looked for
        showMessages();
        return false;
    }
    error_.clear();
    warningsShownFor_ = 0;
    if (musicState(*app_.show) != musicFileState_) startMusic();
    if (!(app_.demoTime < app_.show->endTime)) moveTo(app_.demoTime);
    watchFiles();
    showMessages();
    return true;
}

void AuthorSession::checkFiles() {
    if (watch_.changed()) reload();
}

void AuthorSession::moveTo(float demoTime) {
    const Show& show = *app_.show;
    const float last = show.endTime > show.startTime ? std::nextafter(show.endTime, show.startTime) : show.startTime;
    app_.demoTime = std::clamp(demoTime, show.startTime, last);
    app_.music.moveTo(musicSecondsAt(app_.demoTime));
    // A module finds its place by being played up to it, which may take a good part of a
    // second: the picture waits with the music instead of running ahead by that time.
    app_.clock.reset();
    if (app_.demoTime >= last && !paused_) setPaused(true);
}

void AuthorSession::setPaused(bool paused) {
    const Show& show = *app_.show;
    // Going on from the last frame starts the show again.
    if (!paused && paused_ && !(std::nextafter(app_.demoTime, show.endTime) < show.endTime)) {
        paused_ = false;
        moveTo(show.startTime);
    }
    paused_ = paused;
    app_.music.setPaused(paused);
}

void AuthorSession::advance(double seconds) {
    warningsShownFor_ += seconds;
    if (paused_) return;
    const Show& show = *app_.show;
    double next = double(app_.demoTime) + seconds;
    if (syncMusic_ && app_.music.loaded())
        next = followMusic(app_.demoTime, seconds,
                           musicDemoTime(show.startTime, musicSecondsAt(show.startTime), app_.music.position()));
    if (float(next) < show.endTime) {
        app_.demoTime = float(next);
    } else {
        setPaused(true); // the last frame stays
    }
}

void AuthorSession::drawFrame() {
    app_.drawShow();
    overlay_.draw(*app_.device, app_.backBuffer->width(), app_.backBuffer->height());
    app_.device->present();
}

void AuthorSession::handle(const WindowEvent& event) {
    if (event.quit) ended_ = true;
    if (!event.keyDown) return;
    const float jump = event.shift ? 10.0f : 1.0f;
    switch (event.key) {
    case Key::Escape: ended_ = true; break;
    case Key::Space: setPaused(!paused_); break;
    case Key::Left: moveTo(app_.demoTime - jump); break;
    case Key::Right: moveTo(app_.demoTime + jump); break;
    case Key::Home: moveTo(app_.show->startTime); break;
    case Key::R: reload(); break;
    case Key::F:
        if (app_.window) app_.window->toggleFullScreen();
        break;
    case Key::Other: break;
    }
}

std::string AuthorSession::title(double framesPerSecond) const {
    char text[160];
    std::snprintf(text, sizeof text, "zamp  %.2f / %.2f s  %.1f fps%s%s", double(app_.demoTime),
                  double(app_.show->endTime), framesPerSecond, paused_ ? "  paused" : "",
                  error_.empty() ? "" : "  (reload failed)");
    return text;
}

bool AuthorSession::step() {
    const auto began = std::chrono::steady_clock::now();
    WindowEvent event;
    while (app_.window && app_.window->pollEvent(event)) handle(event);
    if (ended_ || Interrupt::requested()) return false;

    app_.clock.tick();
    const double delta = app_.clock.delta();
    sinceLook_ += delta;
    ++framesSinceLook_;
    if (sinceLook_ >= kLookEvery) {
        checkFiles();
        if (app_.window) app_.window->setTitle(title(framesSinceLook_ / sinceLook_));
        sinceLook_ = 0;
        framesSinceLook_ = 0;
    }
    const bool warningsShown = warningsShownFor_ < kWarningsShownFor;
    advance(delta);
    if (warningsShown && warningsShownFor_ >= kWarningsShownFor) showMessages(); // their time is up
    drawFrame();

    const auto took = std::chrono::steady_clock::now() - began;
    if (took < kShortestFrame) std::this_thread::sleep_for(kShortestFrame - took);
    return true;
}

int AuthorSession::run() {
    app_.clock.reset();
    while (step()) {
    }
    app_.music.fadeOut();
    return 0;
}

} // namespace zamp
