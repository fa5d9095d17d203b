#include "platform/web/ModuleDecoder.h"

#include "platform/Audio.h"

#include <libmodplug/modplug.h>

namespace zamp {

void ModuleDecoder::Close::operator()(_ModPlugFile* file) const { ModPlug_Unload(file); }

std::optional<ModuleDecoder> ModuleDecoder::open(const std::vector<unsigned char>& bytes) {
    // The settings the desktop gives libmodplug (those SDL_mixer plays modules with): 16-bit
    // stereo at the mixer's rate, oversampled with FIR resampling, no effects, the song
    // looping as the module itself loops, full master volume.
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
    ModPlug_SetSettings(&settings);
    ModPlugFile* file = ModPlug_Load(bytes.data(), int(bytes.size()));
    if (!file) return std::nullopt;
    ModPlug_SetMasterVolume(file, 256);
    return ModuleDecoder(file);
}

void ModuleDecoder::seek(double seconds) { ModPlug_Seek(file_.get(), int(seconds * 1000)); }

void ModuleDecoder::render(float* out, int frames) {
    pcm_.resize(std::size_t(frames) * kAudioChannels);
    const int frameBytes = kAudioChannels * int(sizeof(short));
    int done = 0;
    bool restarted = false;
    while (done < frames) {
        const int got = ModPlug_Read(file_.get(), pcm_.data() + done * kAudioChannels, (frames - done) * frameBytes);
        if (got <= 0) {
            // The end of the song: from the beginning again (twice in a row means it holds no
            // sound at all, and the rest stays silent).
            if (restarted) break;
            ModPlug_Seek(file_.get(), 0);
            restarted = true;
            continue;
        }
        restarted = false;
        done += got / frameBytes;
    }
    for (int i = 0; i < frames * kAudioChannels; ++i) out[i] = i < done * kAudioChannels ? pcm_[i] / 32768.0f : 0.0f;
}

} // namespace zamp
