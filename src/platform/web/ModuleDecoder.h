// A tracker module (MOD, XM, S3M, IT and the others libmodplug reads) decoded into
// interleaved stereo float samples at the player's rate, looping from its beginning.
#pragma once

#include "platform/modplug/ModulePlayback.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace zamp {

class ModuleDecoder {
public:
    // Nothing when libmodplug does not accept the bytes.
    static std::optional<ModuleDecoder> open(const std::vector<unsigned char>& bytes);

    // Fills `frames` stereo frames (2 * frames floats); the song starts over at its end.
    void render(float* out, int frames);
    // As closely as libmodplug's estimate of the song's timing allows.
    void seek(double seconds);

private:
    explicit ModuleDecoder(ModuleFile file) : file_(std::move(file)) {}

    ModuleFile file_;
    std::vector<std::int16_t> pcm_;
};

} // namespace zamp
