// What the script functions act on while the show script runs: the show being built, the
// device its textures and meshes are made on, and the image decoder.
#pragma once

namespace zamp {

class Device;
class ImageFiles;
class Show;

struct ScriptContext {
    Show& show;
    Device& device;
    ImageFiles& imageFiles;
};

} // namespace zamp
