#include "app/Player.h"

#include "app/AuthorSession.h"
#include "app/DemoApp.h"
#include "app/MainLoop.h"
#include "app/MusicSync.h"
#include "app/OfflineRun.h"
#include "core/DisplayText.h"
#include "core/Error.h"
#include "core/ShowFiles.h"
#include "platform/Platform.h"
#include "show/Show.h"

#include <exception>
#include <filesystem>
#include <iostream>

namespace zamp {

void reportError(const std::string& text, const std::string& caption, bool box) {
    const std::string shown = displayText(text);
    std::cerr << shown << '\n';
    std::cerr.flush();
    if (box) showMessageBox(caption, shown);
}

namespace {

constexpr const char* kScriptPath = "data/script.lua";
constexpr int kOfflineWidth = 1024;
constexpr int kOfflineHeight = 768;

std::string currentFolder() {
    std::error_code ec;
    std::string folder = std::filesystem::current_path(ec).string();
    return ec ? std::string("the current folder") : folder;
}

int reportMissingScript(bool box) {
    reportError("Script Error!", "Error opening scriptfile!", box);
    std::cerr << "  zamp looked for " << kScriptPath << " in " << displayText(currentFolder())
              << "; give the show's folder (the one holding data/script.lua): zamp SHOW_DIR\n";
    return 1;
}

// The author's mode: a show that fails to build at first is shown as its message over an
// empty picture until the author mends it.
int runAuthorMode(DemoApp& app, const CommandLine& cl) {
    std::string firstError;
    try {
        if (app.loadShow(kScriptPath) == 2) return reportMissingScript(true);
    } catch (const Error& e) {
        firstError = e.what();
        std::cerr << displayText(firstError) << '\n';
        app.show = std::make_unique<Show>();
    }
    app.window->show();
    AuthorSession session(app, cl.syncMusic);
    if (!firstError.empty()) session.showError(firstError);
    return session.run();
}

// Returns -1 to go on to the normal end, or the exit code of an early end.
int startAndRun(DemoApp& app, const CommandLine& cl, const std::string& renderDir) {
    WindowOptions options;
    options.title = "ZAMP Demo System";
    options.windowed = cl.windowed || cl.dev;
    options.offscreen = cl.offline();
    options.backBufferWidth = cl.width ? cl.width : cl.offline() ? kOfflineWidth : 0;
    options.backBufferHeight = cl.height ? cl.height : cl.offline() ? kOfflineHeight : 0;
    app.createWindow(options);
    if (cl.dev) return runAuthorMode(app, cl);
    if (app.loadShow(kScriptPath) == 2) return reportMissingScript(!cl.offline());
    if (cl.renderDir) {
        const int code = renderFrames(app, cl, renderDir);
        return code == 0 ? -1 : code;
    }
    if (cl.benchFrames > 0) {
        benchFrames(app, cl.benchFrames);
        return -1;
    }

    // Offline runs neither play nor load music: they open no audio output at all.
    if (const auto& choice = app.show->music) {
        // The audio back end gets the file as found (core/ShowFiles.h).
        if (!app.music.load(showFilePath(choice->path)))
            app.show->warnings.add(noMusicWarning(choice->path));
        app.music.seek(choice->startSeconds);
    }
    app.window->show();
    app.music.play();
    app.clock.reset();
    Window& window = *app.window;
    EventSource events{[&window](bool& quit) {
                           WindowEvent event;
                           if (!window.pollEvent(event)) return false;
                           quit = event.quit;
                           return true;
                       },
                       [&window] { return window.escapeState(); }};
    TimeStep step;
    if (cl.syncMusic && app.music.loaded()) {
        const double musicStart = app.music.kind() == MusicKind::Stream ? app.show->music->startSeconds : 0.0;
        step = [&app, musicStart](float demoTime, float delta) {
            return float(followMusic(demoTime, delta,
                                     musicDemoTime(app.show->startTime, musicStart, app.music.position())));
        };
    }
    runMainLoop(app.clock, app.demoTime, app.show->endTime, events, [&app] { app.renderFrame(); }, step);
    return -1;
}

} // namespace

int runPlayer(DemoApp& app, const CommandLine& cl) {
    const bool box = !cl.offline();
    std::string renderDir = cl.renderDir.value_or("");
    try {
        int early = startAndRun(app, cl, renderDir);
        if (early >= 0) return early;
    } catch (const Error& e) {
        reportError(e.what(), "Error", box);
        return 1;
    } catch (const std::exception& e) {
        reportError(e.what(), "Error", box);
        return 1;
    } catch (...) {
        reportError("Unknown Error. Something bad happened!", "Error", box);
        return 1;
    }
    // Offline runs never started the music: there is nothing to fade.
    if (!cl.offline()) app.music.fadeOut();
    app.show->layers.deleteAll();
    return 0;
}

} // namespace zamp
