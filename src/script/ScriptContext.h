// What the script functions act on while the show script runs: the show being built, the
// device its textures and meshes are made on, the image decoder and the model importer; and
// what the script is allowed besides.
#pragma once

#include <atomic>

namespace zamp {

class Device;
class ImageFiles;
class ModelImporter;
class Show;

// What a script may do beyond building its show (ScriptSandbox.h says what each means).
struct ScriptRules {
    // Lua's io and os in full (--trust). Without it the script reaches only its show folder:
    // no commands, no files outside the folder, no environment.
    bool trusted = false;
    // A script that runs longer than this many seconds is stopped (the author's mode, where
    // an endless loop would hold the window); 0: never.
    double mostSeconds = 0;
};

struct ScriptContext {
    Show& show;
    Device& device;
    ImageFiles& imageFiles;
    // When set (by a signal), the script is stopped where it is; null: never.
    const std::atomic<bool>* stop = nullptr;
    // Turns model files that loadsiv names into SIV files; null: models cannot be loaded.
    ModelImporter* models = nullptr;
    ScriptRules rules{};
};

} // namespace zamp
