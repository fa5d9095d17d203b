// Music output on SDL2_mixer. Opening the real output device first and, when that fails,
// SDL's `dummy` driver gives the silent output. SDL_mixer's music state is process-wide, so
// the SDL audio subsystem belongs to the one open output alone.
//
// This file does not mix sound effects or keep more than one output open.
#include "core/RegularFile.h"
#include "platform/Audio.h"
#include "platform/Platform.h"
#include "platform/audio/QuietAlsa.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace zamp {

namespace {

// 1024 frames is 23 ms at 44.1 kHz: latency does not matter for music that runs beside the
// picture, and a small buffer keeps a 200 ms fade in several steps rather than two or three.
constexpr int kChunkFrames = 1024;

constexpr int kLoopForever = -1;

// True when the file begins with nothing but printable ASCII and line breaks; leaves the
// file at its start. Every stream and tracker format has binary fields in its first
// kilobyte (a MOD's sample lengths and finetunes among its first 1084 bytes), but
// libmodplug also reads text notations (ABC tunes), and for those it may print to standard
// error while loading. A text file is no music here, so it never reaches the decoders.
bool isPlainText(SDL_RWops* file) {
    unsigned char head[1084];
    const size_t count = SDL_RWread(file, head, 1, sizeof head);
    SDL_RWseek(file, 0, RW_SEEK_SET);
    if (count == 0) {
        return false;  // empty: the decoders reject it without a word
    }
    return std::all_of(head, head + count, [](unsigned char c) {
        return (c >= 0x20 && c < 0x7F) || c == '\t' || c == '\n' || c == '\r';
    });
}

// The tracker decoder reads a module whole into memory, so a file that is no sampled stream is
// given to it only up to this size: real modules are a few megabytes, and a large file of
// zeros (a sparse 3 GB file) must not be read whole.
constexpr std::uint64_t kMostModuleBytes = std::uint64_t{64} << 20;

// True when the file begins like one of the sampled formats, which the decoders read as they
// play rather than whole: WAV or AIFF, Ogg (Vorbis, Opus), FLAC, MP3 (an ID3 tag or a frame
// header). Leaves the file at its start.
bool isSampledStream(SDL_RWops* file) {
    unsigned char head[12] = {};
    const size_t count = SDL_RWread(file, head, 1, sizeof head);
    SDL_RWseek(file, 0, RW_SEEK_SET);
    auto starts = [&](const char* magic, size_t at = 0) {
        const size_t length = std::strlen(magic);
        return count >= at + length && std::memcmp(head + at, magic, length) == 0;
    };
    return (starts("RIFF") && starts("WAVE", 8)) || starts("FORM") || starts("OggS") || starts("fLaC") ||
           starts("ID3") || (count >= 2 && head[0] == 0xFF && (head[1] & 0xE0) == 0xE0);
}

// The SDL audio subsystem, started with SDL's own choice of driver (which honours
// SDL_AUDIODRIVER) or with one driver forced. It is started through SDL_InitSubSystem
// rather than SDL_AudioInit so that SDL counts it as started; otherwise Mix_OpenAudioDevice
// would start it a second time, with the default driver.
class AudioSubsystem {
public:
    static std::unique_ptr<AudioSubsystem> start(const char* forcedDriver) {
        auto quiet = std::make_unique<QuietAlsa>();
        if (forcedDriver) {
            // An override hint wins over the SDL_AUDIODRIVER variable, which may name the
            // very driver that just failed. It is only needed while the subsystem starts.
            SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, forcedDriver, SDL_HINT_OVERRIDE);
        }
        const bool started = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
        if (forcedDriver) {
            SDL_ResetHint(SDL_HINT_AUDIODRIVER);
        }
        if (!started) {
            return nullptr;
        }
        return std::unique_ptr<AudioSubsystem>(new AudioSubsystem(std::move(quiet)));
    }
    ~AudioSubsystem() { SDL_QuitSubSystem(SDL_INIT_AUDIO); }
    AudioSubsystem(const AudioSubsystem&) = delete;
    AudioSubsystem& operator=(const AudioSubsystem&) = delete;

private:
    explicit AudioSubsystem(std::unique_ptr<QuietAlsa> quiet) : quiet_(std::move(quiet)) {}
    // Kept while the device is open: the mixer opens and closes the device after start-up.
    std::unique_ptr<QuietAlsa> quiet_;
};

// The mixer with its device open. No format change is allowed, so the device always gets
// exactly kAudioSampleRate, kAudioChannels and 16-bit samples (SDL converts if it must).
class Mixer {
public:
    static std::unique_ptr<Mixer> open() {
        // The decoders are linked in; Mix_Init only readies them. A format whose decoder is
        // missing simply fails to load later, so its result needs no check.
        Mix_Init(MIX_INIT_FLAC | MIX_INIT_MOD | MIX_INIT_MP3 | MIX_INIT_OGG | MIX_INIT_OPUS);
        if (Mix_OpenAudioDevice(kAudioSampleRate, AUDIO_S16SYS, kAudioChannels, kChunkFrames, nullptr, 0) != 0) {
            Mix_Quit();
            return nullptr;
        }
        return std::unique_ptr<Mixer>(new Mixer);
    }
    ~Mixer() {
        Mix_CloseAudio();
        Mix_Quit();
    }
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

private:
    Mixer() = default;
};

// The mixer plays one music at a time and there is one track at a time, so the music that
// is playing, if any, is this one.
class MixerTrack final : public MusicTrack {
public:
    struct Free {
        void operator()(Mix_Music* music) const { Mix_FreeMusic(music); }
    };
    using Handle = std::unique_ptr<Mix_Music, Free>;

    MixerTrack(Handle music, MusicKind kind) : music_(std::move(music)), kind_(kind) {}
    // Mix_FreeMusic would wait for an unfinished fade-out, which never ends if the device
    // has stopped asking for audio; halting first makes freeing immediate.
    ~MixerTrack() override { stop(); }

    MusicKind kind() const override { return kind_; }

    void play(double fromSeconds) override {
        // Modules always start from their beginning. Mix_SetMusicPosition means different
        // things for modules depending on the decoder SDL_mixer was built with (a pattern
        // order number for some, seconds for others), and libmodplug's seconds are an
        // estimate that assumes one speed for the whole song and drops the speed and tempo
        // commands before the new position: a module that sets its speed on its first row
        // plays on at the default speed after a seek. A module cannot be placed at a demo
        // time reliably.
        const double position = kind_ == MusicKind::Stream ? std::max(0.0, fromSeconds) : 0.0;
        // Starting at the position in one call (a fade-in of 0 ms is no fade) positions the
        // music before the device hears any of it; play-then-seek would leak a few
        // milliseconds of the beginning.
        if (position > 0.0 && Mix_FadeInMusicPos(music_.get(), kLoopForever, 0, position) == 0) return;
        // At 0, or at a position the decoder cannot reach (past the end): from the beginning.
        Mix_PlayMusic(music_.get(), kLoopForever);
    }

    void startFadeOut(int milliseconds) override {
        if (playing()) Mix_FadeOutMusic(milliseconds);
    }
    bool fadingOut() const override { return playing() && Mix_FadingMusic() == MIX_FADING_OUT; }
    bool playing() const override { return Mix_PlayingMusic() != 0; }
    void stop() override {
        if (playing()) Mix_HaltMusic();
    }

private:
    Handle music_;
    MusicKind kind_;
};

class MixerOutput final : public AudioOutput {
public:
    MixerOutput(std::unique_ptr<AudioSubsystem> subsystem, std::unique_ptr<Mixer> mixer, bool silent)
        : subsystem_(std::move(subsystem)), mixer_(std::move(mixer)), silent_(silent) {}

    bool silent() const override { return silent_; }

    std::unique_ptr<MusicTrack> loadMusic(const std::string& path) override {
        // Only a regular file: a named pipe would block the open and the read for ever.
        OpenedFile opened = openRegularFile(path);
        if (!opened.file) return nullptr;
        const std::uint64_t size = opened.size;
        SDL_RWops* file = SDL_RWFromFP(opened.file.get(), SDL_TRUE);
        if (!file) return nullptr;
        static_cast<void>(opened.file.release()); // SDL closes it from here on
        if (isPlainText(file) || (!isSampledStream(file) && size > kMostModuleBytes)) {
            SDL_RWclose(file);
            return nullptr;
        }
        // The type comes from the file's bytes, not its name: the sampled formats have
        // signatures and are recognised first; whatever has none is offered to the tracker
        // decoder. The file is closed by SDL_mixer whether or not it loads.
        MixerTrack::Handle music(Mix_LoadMUS_RW(file, SDL_TRUE));
        if (!music) return nullptr;
        switch (Mix_GetMusicType(music.get())) {
        case MUS_WAV:
        case MUS_OGG:
        case MUS_MP3:
        case MUS_FLAC:
        case MUS_OPUS:
            return std::make_unique<MixerTrack>(std::move(music), MusicKind::Stream);
        case MUS_MOD:
            return std::make_unique<MixerTrack>(std::move(music), MusicKind::Module);
        default:
            // MIDI and external players are neither a stream nor a module.
            return nullptr;
        }
    }

private:
    // Declared in opening order, so they close in the reverse one.
    std::unique_ptr<AudioSubsystem> subsystem_;
    std::unique_ptr<Mixer> mixer_;
    bool silent_;
};

} // namespace

std::unique_ptr<AudioOutput> openAudioOutput(AudioTarget target) {
    if (target == AudioTarget::DeviceOrSilent) {
        if (auto subsystem = AudioSubsystem::start(nullptr)) {
            if (auto mixer = Mixer::open()) {
                const char* driver = SDL_GetCurrentAudioDriver();
                const bool silent = driver && std::strcmp(driver, "dummy") == 0;
                return std::unique_ptr<AudioOutput>(new MixerOutput(std::move(subsystem), std::move(mixer), silent));
            }
        }
        // No driver, or no device opened: the subsystem has been shut down again and the
        // silent driver stands in, so that loading and playing still behave the same.
    }
    auto subsystem = AudioSubsystem::start("dummy");
    if (!subsystem) {
        return nullptr;
    }
    auto mixer = Mixer::open();
    if (!mixer) {
        return nullptr;
    }
    return std::unique_ptr<AudioOutput>(new MixerOutput(std::move(subsystem), std::move(mixer), true));
}

} // namespace zamp
