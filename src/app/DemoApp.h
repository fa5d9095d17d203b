// The one application object: it owns everything the player uses for the whole run. Members
// are built in declaration order and torn down in reverse, so the show goes before the
// window whose device made its textures and meshes, and the music goes first.
#pragma once

#include "app/FrameClock.h"
#include "app/MusicPlayer.h"
#include "script/ScriptContext.h"
#include "script/ScriptRun.h"
#include "show/RenderContext.h"

#include <memory>
#include <string>
#include <vector>

namespace zamp {

class Device;
class ImageFiles;
class ModelImporter;
class ScriptHost;
class Show;
class Surface;
class Window;
struct WindowOptions;

class DemoApp {
public:
    DemoApp();
    ~DemoApp();
    DemoApp(const DemoApp&) = delete;
    DemoApp& operator=(const DemoApp&) = delete;

    // Makes the window and its device, hidden, and the image decoder.
    void createWindow(const WindowOptions& options);
    // Uses a device made elsewhere (tests, tools) with the platform's image decoder: no window.
    void attachDevice(Device& device);

    // Runs the script at `scriptPath` (found as core/ShowFiles.h describes) into a fresh show. When the script ran (even with errors
    // of its own Lua code), the fresh show replaces the current one, its render states go to
    // the device and the demo time is its start time. Returns how the script's run ended
    // (ScriptRun::FileMissing: nothing changes then). A script function's failure is
    // thrown and leaves the current show as it was.
    // With `keepTime` the demo time stays where it is (the author's mode rebuilds shows).
    // The script runs under `scriptRules`.
    ScriptRun loadShow(const std::string& scriptPath, bool keepTime = false);

    // Clears the back buffer, draws the show at the demo time, presents.
    void renderFrame();
    // The same without presenting.
    void drawShow();

    // Writes "warning: <text>" to standard error.
    void warn(const std::string& text);

    std::unique_ptr<Window> window;
    std::unique_ptr<ImageFiles> imageFiles;
    // Turns the model files that scripts name into scenes; null: a model name is an error.
    std::unique_ptr<ModelImporter> models;
    std::unique_ptr<Show> show;
    std::unique_ptr<ScriptHost> script;

    Device* device = nullptr;
    Surface* backBuffer = nullptr;
    FrameClock clock;
    float demoTime = 0;
    MusicPlayer music;
    // Scene layers skip the meshes wholly outside their camera's view (the pictures are the
    // same); main turns it off when ZAMP_NO_CULLING is set.
    bool cullMeshes = true;
    // The meshes drawn and skipped since the start: --bench reports them per frame.
    MeshCounts meshCounts;
    // What scripts may do: sandboxed unless --trust; stopped after a while in the author's mode.
    ScriptRules scriptRules;
    // After a load that failed: every file that attempt looked for, found or not (its chunk
    // files and the files of showFilesSought), so that the author's mode can watch for them.
    std::vector<std::string> filesOfFailedLoad;
};

} // namespace zamp
