// A tracker module (MOD, XM, S3M, IT and the others libmodplug reads) decoded into
// interleaved stereo float samples at the player's rate, played and positioned as on the
// desktop (platform/modplug).
#pragma once

#include "platform/modplug/ModulePlayback.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace zamp {

class ModuleDecoder {
public:
    // Null when libmodplug does not accept the bytes.
    static std::unique_ptr<ModuleDecoder> open(std::vector<unsigned char> bytes);

    // Fills `frames` stereo frames (2 * frames floats) and moves on, looping as the module
    // loops.
    void render(float* out, int frames);
    // To the frame, as ModulePlayback::seek.
    void seek(double seconds);

private:
    explicit ModuleDecoder(std::unique_ptr<ModulePlayback> module) : module_(std::move(module)) {}

    std::unique_ptr<ModulePlayback> module_;
    std::vector<std::int16_t> pcm_;
};

} // namespace zamp
