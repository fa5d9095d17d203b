#include "platform/modplug/ModulePlayback.h"

#include "platform/Audio.h"

#include <libmodplug/modplug.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace zamp {

namespace {

// The size of every request to libmodplug: the mixer's buffer, which SDL_mixer's own module
// playback asked for, so a module starts again where it always did.
constexpr std::size_t kBlockFrames = 1024;

// Positioning costs the decoding of every frame before the place (a millisecond or so per
// second of a four-channel module): an hour, as long as the longest stream the player takes,
// bounds it to seconds whatever time a script starts at.
constexpr double kMostModuleSeekSeconds = 3600;

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

// One block: at the song's end libmodplug gives nothing, and the song starts again.
void readBlock(_ModPlugFile* file, std::int16_t* out) {
    auto* bytes = reinterpret_cast<char*>(out);
    std::size_t wanted = kBlockFrames * kAudioChannels * sizeof(std::int16_t);
    int idle = 0;
    while (wanted > 0) {
        const int got = ModPlug_Read(file, bytes, int(wanted));
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

} // namespace

void ModuleFileUnload::operator()(_ModPlugFile* file) const { ModPlug_Unload(file); }

std::unique_ptr<ModulePlayback> ModulePlayback::open(std::vector<unsigned char> bytes) {
    ModuleFile file = loadModule(bytes.data(), bytes.size());
    if (!file) return nullptr;
    return std::unique_ptr<ModulePlayback>(new ModulePlayback(std::move(bytes), std::move(file)));
}

ModulePlayback::ModulePlayback(std::vector<unsigned char> bytes, ModuleFile file)
    : bytes_(std::move(bytes)), block_(kBlockFrames * kAudioChannels) {
    restart(std::move(file));
}

void ModulePlayback::restart(ModuleFile file) {
    file_ = std::move(file);
    frame_ = 0;
    blockUsed_ = kBlockFrames; // none decoded yet
}

void ModulePlayback::read(std::int16_t* out, std::size_t frames) {
    frame_ += frames;
    while (frames > 0) {
        if (blockUsed_ == kBlockFrames) {
            readBlock(file_.get(), block_.data());
            blockUsed_ = 0;
        }
        const std::size_t run = std::min(frames, kBlockFrames - blockUsed_);
        std::memcpy(out, &block_[blockUsed_ * kAudioChannels], run * kAudioChannels * sizeof(std::int16_t));
        out += run * kAudioChannels;
        frames -= run;
        blockUsed_ += run;
    }
}

void ModulePlayback::seek(double seconds) {
    // The frame a stream is moved to for the same time (rounded to the nearest); a place
    // beyond the bound is the beginning, as a stream's place past its end is.
    const double wanted = std::round(std::max(0.0, seconds) * kAudioSampleRate);
    const std::uint64_t target = wanted <= kMostModuleSeekSeconds * kAudioSampleRate ? std::uint64_t(wanted) : 0;
    if (target < frame_) {
        // The bytes were accepted once, so they are again.
        if (ModuleFile again = loadModule(bytes_.data(), bytes_.size())) restart(std::move(again));
    }
    std::vector<std::int16_t> discarded(kBlockFrames * kAudioChannels);
    while (frame_ < target) read(discarded.data(), std::size_t(std::min<std::uint64_t>(kBlockFrames, target - frame_)));
}

double ModulePlayback::length() const { return ModPlug_GetLength(file_.get()) / 1000.0; }

} // namespace zamp
