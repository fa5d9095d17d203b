#include "support/TestSupport.h"

#include "platform/Platform.h"
#include "platform/gl/GlWindowGraphics.h"
#include "platform/sdl/SdlWindow.h"
#include "platform/sdl_gl/SdlGlApi.h"

#include <SDL2/SDL.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zamp::test {

TempDir::TempDir() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() / ("zamp-test-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::filesystem::path TempDir::write(const std::string& relative, const std::string& content) const {
    auto full = path_ / relative;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream(full, std::ios::binary) << content;
    return full;
}

namespace {

std::string readAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

} // namespace

std::string framePngName(long frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06ld.png", frame);
    return name;
}

RunResult runZamp(const std::vector<std::string>& args, const std::filesystem::path& cwd) {
    return runZampAt(ZAMP_EXECUTABLE, args, cwd);
}

RunResult runZampAt(const std::string& executable, const std::vector<std::string>& args,
                    const std::filesystem::path& cwd, const std::vector<std::string>& environment) {
    TempDir io;
    std::string command = "cd " + quote(cwd.string()) + " && env";
    for (const auto& setting : environment) command += " " + quote(setting);
    command += " " + quote(executable);
    for (const auto& a : args) command += " " + quote(a);
    command += " >" + quote((io.path() / "out").string()) + " 2>" + quote((io.path() / "err").string()) + " </dev/null";
    int status = std::system(command.c_str());
    RunResult r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = readAll(io.path() / "out");
    r.err = readAll(io.path() / "err");
    return r;
}

int startZamp(const std::vector<std::string>& args, const std::filesystem::path& cwd, const std::filesystem::path& err) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(cwd.c_str()) != 0) _exit(127);
        const int fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, 2);
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        std::vector<char*> argv{const_cast<char*>(ZAMP_EXECUTABLE)};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(ZAMP_EXECUTABLE, argv.data());
        _exit(127);
    }
    return pid;
}

int waitForExit(int pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

bool waitFor(const std::function<bool()>& sign, double seconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!sign()) {
        if (std::chrono::steady_clock::now() > until) return sign();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::string readText(const std::filesystem::path& path) { return readAll(path); }

OffscreenGl::OffscreenGl(int width, int height) {
    WindowOptions options;
    options.title = "test";
    options.offscreen = true;
    options.windowed = true;
    options.backBufferWidth = width;
    options.backBufferHeight = height;
    window_ = std::make_unique<SdlWindow>(options, SdlGlApi());
}

OffscreenGl::~OffscreenGl() = default;

Device& OffscreenGl::device() { return window_->device(); }
GlDevice& OffscreenGl::glDevice() { return static_cast<GlWindowGraphics&>(window_->graphics()).device(); }

OffscreenContext::OffscreenContext(bool es) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    video_ = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    if (!video_) return;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, es ? SDL_GL_CONTEXT_PROFILE_ES : SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, es ? 0 : 3);
    window_ = SDL_CreateWindow("test", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (window_) context_ = SDL_GL_CreateContext(static_cast<SDL_Window*>(window_));
    if (context_) SDL_GL_MakeCurrent(static_cast<SDL_Window*>(window_), context_);
}

OffscreenContext::~OffscreenContext() {
    if (context_) SDL_GL_DeleteContext(context_);
    if (window_) SDL_DestroyWindow(static_cast<SDL_Window*>(window_));
    // The next window asks for its own profile: leave the attributes as SDL's defaults.
    SDL_GL_ResetAttributes();
    if (video_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

Rgb pixelAt(const RgbImage& image, int x, int y) {
    const std::uint8_t* p = &image.pixels[(std::size_t(y) * image.width + x) * 3];
    return {p[0], p[1], p[2]};
}

bool near(Rgb a, Rgb e, int t) { return std::abs(a.r - e.r) <= t && std::abs(a.g - e.g) <= t && std::abs(a.b - e.b) <= t; }

std::string describe(Rgb c) {
    return "(" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " + std::to_string(c.b) + ")";
}

void writeTestPng(const std::filesystem::path& path, int w, int h, std::uint32_t (*colour)(int, int)) {
    ArgbImage image;
    image.width = w;
    image.height = h;
    image.pixels.resize(std::size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.pixels[std::size_t(y) * w + x] = colour(x, y);
    std::filesystem::create_directories(path.parent_path());
    openImageFiles()->writePng(path.string(), image);
}

} // namespace zamp::test
