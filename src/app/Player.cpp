#include "app/Player.h"

#include "app/DemoApp.h"
#include "app/OfflineRun.h"
#include "core/DisplayText.h"
#include "core/Error.h"
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

int runReportingErrors(const std::function<int()>& body, bool box) {
    try {
        return body();
    } catch (const Error& e) {
        reportError(e.what(), "Error", box);
    } catch (const std::exception& e) {
        reportError(e.what(), "Error", box);
    } catch (...) {
        reportError("Unknown Error. Something bad happened!", "Error", box);
    }
    return 1;
}

bool openShow(DemoApp& app, const WindowOptions& options, bool box) {
    app.createWindow(options);
    if (app.loadShow("data/script.lua") == 2) {
        reportError("Script Error!", "Error opening scriptfile!", box);
        return false;
    }
    return true;
}

void startLive(DemoApp& app) {
    if (const auto& choice = app.show->music) {
        app.music.load(choice->path);
        app.music.seek(choice->startSeconds);
    }
    app.window->show();
    app.music.play();
    app.clock.reset();
}

EventSource windowEvents(Window& window) {
    return {[&window](bool& quit) { return window.pollEvent(quit); }, [&window] { return window.escapeState(); }};
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
    if (!openShow(app, options, !cl.offline())) return 1;
    if (cl.renderDir) {
        renderFrames(app, cl, renderDir);
        return -1;
    }
    if (cl.benchFrames > 0) {
        benchFrames(app, cl.benchFrames);
        return -1;
    }

    // Offline runs neither play nor load music: they open no audio output at all.
    startLive(app);
    EventSource events = windowEvents(*app.window);
    runMainLoop(app.clock, app.demoTime, app.show->endTime, events, [&app] { app.renderFrame(); });
    return -1;
}

} // namespace

int runPlayer(DemoApp& app, const CommandLine& cl) {
    const bool box = !cl.offline();
    std::string renderDir = cl.renderDir.value_or("");
    const int early = runReportingErrors([&] { return startAndRun(app, cl, renderDir); }, box);
    if (early >= 0) return early;
    // Offline runs never started the music: there is nothing to fade.
    if (!cl.offline()) app.music.fadeOut();
    app.show->layers.deleteAll();
    return 0;
}

} // namespace zamp
