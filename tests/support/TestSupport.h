// Helpers shared by the tests: temporary folders, running the real executable, offscreen
// OpenGL devices and pixel probes.
#pragma once

#include "gfx/Device.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zamp {
class GlDevice;
class SdlWindow;
}

namespace zamp::test {

// A fresh folder under the system's temporary folder, removed again at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }
    // Writes `content` to path()/relative, creating folders on the way; returns the full path.
    std::filesystem::path write(const std::string& relative, const std::string& content) const;

private:
    std::filesystem::path path_;
};

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// "frame_000012.png" for frame 12, as --render names them.
std::string framePngName(long frame);

// Runs the zamp executable with `args` from the folder `cwd`.
RunResult runZamp(const std::vector<std::string>& args, const std::filesystem::path& cwd);
// The same for the program `executable` (a copy of zamp elsewhere), with the settings
// `environment` ("NAME=value") added to the environment.
RunResult runZampAt(const std::string& executable, const std::vector<std::string>& args,
                    const std::filesystem::path& cwd, const std::vector<std::string>& environment = {});

// Starts the zamp executable with `args` in the folder `cwd` (SDL's offscreen video driver),
// its standard error going to the file `err`; returns its process number at once.
int startZamp(const std::vector<std::string>& args, const std::filesystem::path& cwd, const std::filesystem::path& err);
// Waits for a process that startZamp started: its exit code, or minus the signal that ended it.
int waitForExit(int pid);
// Waits until `sign` holds, looking every 5 ms for at most `seconds`; returns whether it holds.
bool waitFor(const std::function<bool()>& sign, double seconds = 60);
// The whole content of a file ("" when it cannot be read).
std::string readText(const std::filesystem::path& path);

// An offscreen window with a real OpenGL device (Mesa works without a display).
class OffscreenGl {
public:
    explicit OffscreenGl(int width = 1024, int height = 768);
    ~OffscreenGl();
    Device& device();
    // The same device, for tests of the OpenGL back end itself.
    GlDevice& glDevice();

private:
    std::unique_ptr<SdlWindow> window_;
};

// A bare offscreen OpenGL context without a device, current while it lives: desktop 3.3
// core, or OpenGL ES 3.0 (what WebGL 2 offers). `ok` is false when the driver cannot make it.
class OffscreenContext {
public:
    explicit OffscreenContext(bool es);
    ~OffscreenContext();
    OffscreenContext(const OffscreenContext&) = delete;
    OffscreenContext& operator=(const OffscreenContext&) = delete;
    bool ok() const { return context_ != nullptr; }

private:
    bool video_ = false;
    void* window_ = nullptr;
    void* context_ = nullptr;
};

struct Rgb {
    int r, g, b;
};
Rgb pixelAt(const RgbImage& image, int x, int y);
// Within `tolerance` 8-bit steps on every channel.
bool near(Rgb actual, Rgb expected, int tolerance = 1);
std::string describe(Rgb c);

// Expects the pixel at (x, y) of `image` within `tolerance` 8-bit steps of (r, g, b).
#define EXPECT_PIXEL_NEAR(image, x, y, tolerance, ...)                                                 \
    do {                                                                                               \
        ::zamp::test::Rgb actual_ = ::zamp::test::pixelAt(image, x, y);                                 \
        EXPECT_TRUE(::zamp::test::near(actual_, ::zamp::test::Rgb{__VA_ARGS__}, tolerance))             \
            << "at " << (x) << "," << (y) << ": " << ::zamp::test::describe(actual_);                   \
    } while (0)

// Writes a PNG of w x h pixels filled by `colour(x, y)` (0xAARRGGBB).
void writeTestPng(const std::filesystem::path& path, int w, int h, std::uint32_t (*colour)(int x, int y));

} // namespace zamp::test
