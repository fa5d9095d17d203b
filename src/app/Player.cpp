#include "app/Player.h"

#include "app/AuthorSession.h"
#include "app/DemoApp.h"
#include "app/Interrupt.h"
#include "app/MainLoop.h"
#include "app/ModelCache.h"
#include "app/MusicSync.h"
#include "app/OfflineRun.h"
#include "app/Startup.h"
#include "core/DisplayText.h"
#include "core/Error.h"
#include "core/ShowFiles.h"
#include "platform/Platform.h"
#include "show/Show.h"

#include <exception>
#include <filesystem>
#include <iostream>

namespace zamp {

namespace {

constexpr int kOfflineWidth = 1024;
constexpr int kOfflineHeight = 768;

// The author's mode: a show that fails to build at first is shown as its message over an
// empty picture until the author mends it.
int runAuthorMode(DemoApp& app, const CommandLine& cl) {
    app.scriptRules.mostSeconds = kMostAuthorScriptSeconds;
    std::string firstError;
    try {
        if (app.loadShow(kScriptPath) == ScriptRun::FileMissing) return reportMissingScript(true);
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
    app.models = std::make_unique<ModelCache>(modelCacheSettings(&Interrupt::requested()));
    WindowOptions options;
    options.title = "ZAMP Demo System";
    options.windowed = cl.windowed || cl.dev;
    options.offscreen = cl.offline();
    options.backBufferWidth = cl.width ? cl.width : cl.offline() ? kOfflineWidth : 0;
    options.backBufferHeight = cl.height ? cl.height : cl.offline() ? kOfflineHeight : 0;
    if (cl.dev) {
        app.createWindow(options);
        return runAuthorMode(app, cl);
    }
    if (!openShow(app, options, !cl.offline())) return 1;
    if (cl.renderDir) {
        const int code = renderFrames(app, cl, renderDir);
        return code == 0 ? -1 : code;
    }
    if (cl.benchFrames > 0) {
        benchFrames(app, cl.benchFrames);
        return -1;
    }

    // Offline runs neither play nor load music: they open no audio output at all.
    startLive(app);
    EventSource events = windowEvents(*app.window);
    runMainLoop(app.clock, app.demoTime, app.show->endTime, events, [&app] { app.renderFrame(); },
                cl.syncMusic ? musicTimeStep(app) : TimeStep{});
    return -1;
}

} // namespace

int runPlayer(DemoApp& app, const CommandLine& cl) {
    app.scriptRules.trusted = cl.trust;
    const bool box = !cl.offline() && !Interrupt::requested();
    std::string renderDir = cl.renderDir.value_or("");
    const int early = runReportingErrors([&] { return startAndRun(app, cl, renderDir); }, box);
    if (Interrupt::requested()) return Interrupt::exitCode();
    if (early >= 0) return early;
    // Offline runs never started the music: there is nothing to fade.
    if (!cl.offline()) app.music.fadeOut();
    app.show->layers.deleteAll();
    return 0;
}

} // namespace zamp
