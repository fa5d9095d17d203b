#include "platform/audio/MixerSession.h"

#include "platform/Audio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstring>

namespace zamp {

namespace {

// 1024 frames is 23 ms at 44.1 kHz: latency does not matter for music that runs beside the
// picture, and a small buffer keeps a 200 ms fade in several steps rather than two or three.
constexpr int kChunkFrames = 1024;

// The subsystem is started through SDL_InitSubSystem rather than SDL_AudioInit so that SDL
// counts it as started; otherwise Mix_OpenAudioDevice would start it a second time, with
// the default driver.
bool startSubsystem(const char* forcedDriver) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1"); // the player handles Ctrl-C itself
    if (forcedDriver) {
        // An override hint wins over the SDL_AUDIODRIVER variable, which may name the very
        // driver that just failed. It is only needed while the subsystem starts.
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, forcedDriver, SDL_HINT_OVERRIDE);
    }
    const bool started = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (forcedDriver) SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    return started;
}

} // namespace

std::unique_ptr<MixerSession> MixerSession::open(const char* forcedDriver) {
    auto quiet = std::make_unique<QuietAlsa>();
    if (!startSubsystem(forcedDriver)) return nullptr;
    // The decoders are linked in; Mix_Init only readies them. A format whose decoder is
    // missing simply fails to load later, so its result needs no check.
    Mix_Init(MIX_INIT_FLAC | MIX_INIT_MOD | MIX_INIT_MP3 | MIX_INIT_OGG | MIX_INIT_OPUS);
    if (Mix_OpenAudioDevice(kAudioSampleRate, AUDIO_S16SYS, kAudioChannels, kChunkFrames, nullptr, 0) != 0) {
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    const char* driver = SDL_GetCurrentAudioDriver();
    const bool silent = driver && std::strcmp(driver, "dummy") == 0;
    return std::unique_ptr<MixerSession>(new MixerSession(std::move(quiet), silent));
}

MixerSession::~MixerSession() {
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

} // namespace zamp
