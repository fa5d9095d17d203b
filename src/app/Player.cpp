#include "app/Player.h"

#include "app/DemoApp.h"
#include "app/MainLoop.h"
#include "app/OfflineRun.h"
#include "core/DisplayText.h"
#include "core/Error.h"
#include "core/ShowFiles.h"
#include "platform/Platform.h"
#include "show/Show.h"

#include <exception>
#include <iostream>

namespace zamp {

void reportError(const std::string& text, const std::string& caption, bool box) {
    const std::string shown = displayText(text);
    std::cerr << shown << '\n';
    std::cerr.flush();
    if (box) showMessageBox(caption, shown);
}

namespace {

constexpr int kOfflineWidth = 1024;
constexpr int kOfflineHeight = 768;

// Returns -1 to go on to the normal end, or the exit code of an early end.
int startAndRun(DemoApp& app, const CommandLine& cl, const std::string& renderDir) {
    WindowOptions options;
    options.title = "ZAMP Demo System";
    options.windowed = cl.windowed;
    options.offscreen = cl.offline();
    options.backBufferWidth = cl.width ? cl.width : cl.offline() ? kOfflineWidth : 0;
    options.backBufferHeight = cl.height ? cl.height : cl.offline() ? kOfflineHeight : 0;
    app.createWindow(options);
    if (app.loadShow("data/script.lua") == 2) {
        reportError("Script Error!", "Error opening scriptfile!", !cl.offline());
        return 1;
    }
    if (cl.renderDir) {
        renderFrames(app, cl, renderDir);
        return -1;
    }
    if (cl.benchFrames > 0) {
        benchFrames(app, cl.benchFrames);
        return -1;
    }

    // Offline runs neither play nor load music: they open no audio output at all.
    if (const auto& choice = app.show->music) {
        app.music.load(showFilePath(choice->path)); // the audio back end gets the file found
        app.music.seek(choice->startSeconds);
    }
    app.window->show();
    app.music.play();
    app.clock.reset();
    Window& window = *app.window;
    EventSource events{[&window](bool& quit) { return window.pollEvent(quit); },
                       [&window] { return window.escapeState(); }};
    runMainLoop(app.clock, app.demoTime, app.show->endTime, events, [&app] { app.renderFrame(); });
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
