#include "app/Player.h"

#include "app/DemoApp.h"
#include "app/MainLoop.h"
#include "app/OfflineRun.h"

#include <exception>
#include <iostream>

namespace zamp {

void reportError(const std::string& text, const std::string& caption, bool box) {
    std::cerr << text << '\n';
    std::cerr.flush();
    if (box) showMessageBox(caption, text);
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
    app.music.setSilent(cl.offline());
    app.script.open(app);
    if (app.script.runFile("data/script.lua") == 2) {
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

    app.window->show();
    app.music.play();
    app.script.clock.reset();
    SdlWindow& window = *app.window;
    EventSource events{[&window](bool& quit) { return window.pollEvent(quit); },
                       [&window] { return window.escapeState(); }};
    runMainLoop(app.script.clock, app.script.demoTime, app.script.endTime, events, [&app] { app.renderFrame(); });
    return -1;
}

} // namespace

int runPlayer(DemoApp& app, const CommandLine& cl) {
    const bool box = !cl.offline();
    std::string renderDir = cl.renderDir.value_or("");
    try {
        int early = startAndRun(app, cl, renderDir);
        if (early >= 0) return early;
    } catch (const std::string& text) {
        reportError(text, "Error", box);
        return 1;
    } catch (const char* text) {
        reportError(text, "Error", box);
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
    app.script.layers.deleteAll();
    return 0;
}

} // namespace zamp
