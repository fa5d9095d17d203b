// zamp: plays the show of data/script.lua in SHOW_DIR (default: the current folder).
#include "app/CommandLine.h"
#include "app/DemoApp.h"
#include "app/Interrupt.h"
#include "app/Player.h"
#include "app/Startup.h"
#include "core/Error.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace {

// The one application object, alive for the whole process; its members are torn down after
// main returns, the window with its device last.
zamp::DemoApp app;

} // namespace

int main(int argc, char** argv) {
    zamp::CommandLine cl;
    try {
        cl = zamp::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const zamp::Error& e) {
        std::cerr << "zamp: " << e.what() << '\n' << zamp::kUsage << '\n';
        return 2;
    }
    if (cl.help) {
        std::cout << zamp::kUsage << "\n\nOptions:\n"
                  << "  SHOW_DIR          the show folder (holds data/script.lua); default: the current folder\n"
                     "  --windowed        a window instead of full screen\n"
                     "  --size WxH        back-buffer size (default: the desktop's full screen, 640x480 in a\n"
                     "                    window, 1024x768 offline)\n"
                     "  --dev             the author's mode: a window with sound; the show is built again\n"
                     "                    whenever its script or files change; Space pause, Left/Right 1 s\n"
                     "                    (Shift: 10 s), Home start, R reload, F full screen, Esc end\n"
                     "  --sync-music      the demo time follows the music's playing position\n"
                     "  --trust           the script may run commands and use files anywhere, as Lua's io and\n"
                     "                    os allow; only for shows you wrote or trust (without it a show\n"
                     "                    reaches only its own folder)\n"
                     "  --render OUT_DIR  draw frames offline into OUT_DIR/frame_%06d.png (and the music into\n"
                     "                    OUT_DIR/music.wav); no display needed\n"
                     "  --render VIDEO    with a name ending in .mp4, .mkv, .webm or .mov: one video file with\n"
                     "                    the music (H.264 and AAC; VP9 and Opus in .webm), written whole\n"
                     "                    or not at all\n"
                     "  --quality N       of a video file: 0 (smallest file) to 100 (best picture); default 65\n"
                     "  --codec NAME      of a video file: another of FFmpeg's video encoders (libx265, ffv1, ...)\n"
                     "  --fps N           frames per second of --render (default 60, at most 1000)\n"
                     "  --at T            with --render: only the frame at demo time T; repeatable\n"
                     "  --frames A:B      with --render: only frames A to B of the render (parts of one\n"
                     "                    render can run apart and land in one folder)\n"
                     "  --bench N         draw N frames offline spread over the show and print timings\n"
                     "  --help, --version\n";
        return 0;
    }
    if (cl.version) {
        std::cout << "zamp " << ZAMP_VERSION << '\n';
        return 0;
    }
    zamp::Interrupt::watch();
    // Read once: the switch holds for the whole run.
    app.cullMeshes = !zamp::cullingSwitchedOff(std::getenv(zamp::kNoCullingVariable));
    // Paths on the command line are relative to where zamp was started.
    if (cl.renderDir) {
        std::error_code ec;
        const auto absolute = std::filesystem::absolute(*cl.renderDir, ec);
        if (ec) {
            zamp::reportError("Cannot use the render folder " + *cl.renderDir + ": " + ec.message(), "Error", false);
            return 1;
        }
        cl.renderDir = absolute.string();
    }
    if (!cl.showDir.empty()) {
        std::error_code ec;
        std::filesystem::current_path(cl.showDir, ec);
        if (ec) {
            zamp::reportError("Cannot open the show folder " + cl.showDir + ": " + ec.message(), "Error", false);
            return 1;
        }
    }
    int code = zamp::runPlayer(app, cl);
    return code;
}
