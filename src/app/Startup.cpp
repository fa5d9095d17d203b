#include "app/Startup.h"

#include "app/DemoApp.h"
#include "app/Interrupt.h"
#include "app/MusicSync.h"
#include "core/DisplayText.h"
#include "core/Error.h"
#include "core/RegularFile.h"
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

namespace {

std::string currentFolder() {
    std::error_code ec;
    std::string folder = std::filesystem::current_path(ec).string();
    return ec ? std::string("the current folder") : folder;
}

} // namespace

int reportMissingScript(bool box) {
    reportError("Script Error!", "Error opening scriptfile!", box);
    const FileProblem problem = openRegularFile(showFilePath(kScriptPath)).problem;
    if (problem == FileProblem::Missing)
        std::cerr << "  zamp looked for " << kScriptPath << " in " << displayText(currentFolder())
                  << "; give the show's folder (the one holding data/script.lua): zamp SHOW_DIR\n";
    else
        std::cerr << "  " << kScriptPath << " in " << displayText(currentFolder()) << ' '
                  << describeFileProblem(problem == FileProblem::None ? FileProblem::Unreadable : problem) << '\n';
    return 1;
}

bool openShow(DemoApp& app, const WindowOptions& options, bool box) {
    app.createWindow(options);
    if (app.loadShow(kScriptPath) == ScriptRun::FileMissing) {
        reportMissingScript(box);
        return false;
    }
    return true;
}

void startLive(DemoApp& app) {
    if (const auto& choice = app.show->music) {
        // The audio back end gets the file as found (core/ShowFiles.h).
        if (!app.music.load(showFilePath(choice->path))) app.show->warnings.add(noMusicWarning(choice->path));
        app.music.seek(choice->startSeconds);
    }
    app.window->show();
    app.music.play();
    app.clock.reset();
}

EventSource windowEvents(Window& window) {
    // A signal ends the show as Esc does (runPlayer then gives its exit code).
    return {[&window](bool& quit) {
                WindowEvent event;
                if (!window.pollEvent(event)) return false;
                quit = event.quit;
                return true;
            },
            [&window] { return window.escapeState() || Interrupt::requested(); }};
}

TimeStep musicTimeStep(DemoApp& app) {
    if (!app.music.loaded()) return {};
    const double musicStart = app.show->music->startSeconds;
    return [&app, musicStart](float demoTime, float delta) {
        return float(followMusic(demoTime, delta, musicDemoTime(app.show->startTime, musicStart, app.music.position())));
    };
}

} // namespace zamp
