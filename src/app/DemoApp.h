// The one application object: it owns everything the show needs for the whole run. Members
// are built in declaration order and torn down in reverse, so the window with its device
// goes last, after every texture and mesh that lives on it.
#pragma once

#include "app/MusicPlayer.h"
#include "layers/Image.h"
#include "layers/TextureRegistry.h"
#include "platform/SdlWindow.h"
#include "script/ScriptHost.h"
#include "siv/Scene.h"

#include <memory>

namespace zamp {

class DemoApp {
public:
    // Makes the window and its device hidden, fills `device` and `backBuffer`.
    void createWindow(const WindowOptions& options);
    // Uses a device made elsewhere (tests, tools): no window.
    void attachDevice(Device& device);

    // Clears the back buffer, draws the layers at the demo time, presents.
    void renderFrame();

    std::unique_ptr<SdlWindow> window;
    TextureRegistry textures;
    ImageList images;
    SceneList scenes;
    ScriptHost script;

    Surface* backBuffer = nullptr;
    Device* device = nullptr;
    MusicPlayer music;
};

} // namespace zamp
