// What the script functions act on while the show script runs: the show being built, the
// device its textures and meshes are made on, the image decoder and the model importer.
#pragma once

#include <atomic>

namespace zamp {

class Device;
class ImageFiles;
class ModelImporter;
class Show;

struct ScriptContext {
    Show& show;
    Device& device;
    ImageFiles& imageFiles;
    // When set (by a signal), the script is stopped where it is; null: never.
    const std::atomic<bool>* stop = nullptr;
    // Turns model files that loadsiv names into SIV files; null: models cannot be loaded.
    ModelImporter* models = nullptr;
};

} // namespace zamp
