// The web player's entry: the page runs `main` with its options once the show's files are
// in place (in the folder the player starts in). Start-up is the desktop's; then the
// browser calls the frame function, which makes one pass of the main loop, or with a frozen
// time (?at=T) draws the frame at T. When the loop is over the music fades out over the next
// frames and the page is told the show has ended.
#include "app/DemoApp.h"
#include "app/PageOptions.h"
#include "app/Startup.h"
#include "platform/Platform.h"
#include "platform/web/WebLibrary.h"
#include "show/ModelImport.h"
#include "show/Show.h"

#include <emscripten/emscripten.h>

#include <string>
#include <vector>

namespace {

// The page's one application object: the player and how far its run has got. It lives for
// the whole page; the browser's frame callback reaches it through its pointer.
struct PageApp {
    zamp::DemoApp app;
    zamp::PageOptions options;
    zamp::EventSource events;
    zamp::MainLoopProgress progress;
    bool ending = false;
};

PageApp page;

// The end: the music has faded, the layers go, and the page takes over again.
void finish(PageApp& p) {
    p.app.music.unload();
    p.app.show->layers.deleteAll();
    emscripten_cancel_main_loop();
    zamp_page_ended();
}

// One frame; every error ends the run with the player's message on the page.
void frame(void* user) {
    PageApp& p = *static_cast<PageApp*>(user);
    const int failed = zamp::runReportingErrors(
        [&p] {
            zamp::DemoApp& app = p.app;
            if (p.ending) {
                if (app.music.fadeOutFinished()) finish(p);
                return 0;
            }
            bool goesOn = true;
            if (p.options.at) {
                goesOn = !p.events.escapeState();
                if (goesOn) {
                    app.demoTime = float(*p.options.at);
                    app.renderFrame();
                }
            } else {
                goesOn = zamp::runMainLoopPass(p.progress, app.clock, app.demoTime, app.show->endTime, p.events,
                                               [&app] { app.renderFrame(); });
            }
            if (!goesOn) {
                p.ending = true;
                app.music.startFadeOut();
            }
            return 0;
        },
        true);
    if (failed) emscripten_cancel_main_loop();
}

} // namespace

int main(int argc, char** argv) {
    const int failed = zamp::runReportingErrors(
        [&] {
            page.options = zamp::parsePageOptions(std::vector<std::string>(argv + 1, argv + argc));
            zamp::WindowOptions window;
            window.title = "ZAMP Demo System";
            window.windowed = true;
            window.backBufferWidth = page.options.width;
            window.backBufferHeight = page.options.height;
            // Models were converted when the page was made (tools/web-pack).
            page.app.models = std::make_unique<zamp::PackedModels>();
            if (!zamp::openShow(page.app, window, true)) return 1;
            zamp::startLive(page.app);
            page.events = zamp::windowEvents(*page.app.window);
            return 0;
        },
        true);
    if (failed) return failed;
    // 0: at the browser's own frame rate. The loop outlives main.
    emscripten_set_main_loop_arg(frame, &page, 0, false);
    return 0;
}
