#include "platform/modplug/ModulePlayback.h"

#include "platform/Audio.h"

#include <libmodplug/modplug.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace zamp {

void ModuleFileUnload::operator()(_ModPlugFile* file) const { ModPlug_Unload(file); }

ModuleFile loadModule(const void* bytes, std::size_t size) {
    if (size == 0 || size > std::size_t(std::numeric_limits<int>::max())) return nullptr;
    ModPlug_Settings settings{};
    ModPlug_GetSettings(&settings);
    settings.mFlags = MODPLUG_ENABLE_OVERSAMPLING;
    settings.mChannels = kAudioChannels;
    settings.mBits = 16;
    settings.mFrequency = kAudioSampleRate;
    settings.mResamplingMode = MODPLUG_RESAMPLE_FIR;
    settings.mReverbDepth = 0;
    settings.mReverbDelay = 100;
    settings.mBassAmount = 0;
    settings.mBassRange = 50;
    settings.mSurroundDepth = 0;
    settings.mSurroundDelay = 10;
    settings.mLoopCount = -1;
    ModPlug_SetSettings(&settings); // libmodplug reads them when a module loads
    ModuleFile file(ModPlug_Load(bytes, int(size)));
    if (file) ModPlug_SetMasterVolume(file.get(), 256); // SDL_mixer's full music volume
    return file;
}

void readModule(_ModPlugFile* file, std::int16_t* out, std::size_t frames) {
    auto* bytes = reinterpret_cast<char*>(out);
    std::size_t wanted = frames * kAudioChannels * sizeof(std::int16_t);
    int idle = 0;
    while (wanted > 0) {
        const int got = ModPlug_Read(file, bytes, int(std::min<std::size_t>(wanted, 1 << 20)));
        if (got > 0) {
            bytes += got;
            wanted -= std::size_t(got);
            idle = 0;
            continue;
        }
        if (++idle > 1) {
            std::memset(bytes, 0, wanted);
            return;
        }
        ModPlug_Seek(file, 0);
    }
}

void seekModule(_ModPlugFile* file, double seconds) {
    ModPlug_Seek(file, int(std::lround(std::max(0.0, seconds) * 1000)));
}

double moduleLength(_ModPlugFile* file) { return ModPlug_GetLength(file) / 1000.0; }

} // namespace zamp
