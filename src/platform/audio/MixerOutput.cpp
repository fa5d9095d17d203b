// Music output on SDL2_mixer. The music is decoded by MusicSources and handed to the mixer
// through its music hook, so that positioning, pausing, looping and fading are exact to the
// frame and the position played is known.
//
// This file does not mix sound effects or keep more than one output open.
#include "platform/Authoring.h"
#include "platform/Platform.h"
#include "platform/audio/MixerSession.h"
#include "platform/audio/MusicSources.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

namespace zamp {

namespace {

class MixerTrack final : public MusicTrack {
public:
    explicit MixerTrack(std::unique_ptr<MusicSource> source) : source_(std::move(source)) {}
    // Unhooking waits for a callback that is running; after it none runs again.
    ~MixerTrack() override { Mix_HookMusic(nullptr, nullptr); }

    MusicKind kind() const override { return source_->kind(); }

    void play(double fromSeconds) override {
        {
            std::lock_guard lock(mutex_);
            moveTo(fromSeconds);
            paused_ = false;
            fadeLeft_ = fadeLength_ = 0;
            playing_ = true;
        }
        Mix_HookMusic(&MixerTrack::fill, this);
    }

    void setPaused(bool paused) override {
        std::lock_guard lock(mutex_);
        paused_ = paused;
    }

    void seek(double seconds) override {
        std::lock_guard lock(mutex_);
        // A stream loops from its very beginning, so its place is the time modulo its length.
        // A module loops as the module itself does, at a place its length only estimates: it
        // finds its place by playing on from the beginning (the audio thread waits meanwhile).
        const double length = source_->duration();
        const bool wraps = kind() == MusicKind::Stream && length > 0;
        source_->seek(wraps ? std::fmod(std::max(0.0, seconds), length) : seconds);
        framesGiven_ = std::int64_t(std::llround(std::max(0.0, seconds) * kAudioSampleRate));
    }

    double position() const override {
        std::lock_guard lock(mutex_);
        return double(framesGiven_) / kAudioSampleRate;
    }

    void startFadeOut(int milliseconds) override {
        std::lock_guard lock(mutex_);
        if (!playing_ || fadeLength_ > 0) return;
        fadeLength_ = fadeLeft_ = std::max<long>(1, std::lround(milliseconds / 1000.0 * kAudioSampleRate));
    }

    bool fadingOut() const override {
        std::lock_guard lock(mutex_);
        return playing_ && fadeLength_ > 0;
    }

    bool playing() const override {
        std::lock_guard lock(mutex_);
        return playing_;
    }

    void stop() override {
        std::lock_guard lock(mutex_);
        playing_ = false;
    }

private:
    void moveTo(double seconds) {
        source_->seek(seconds);
        framesGiven_ = std::int64_t(std::llround(std::max(0.0, seconds) * kAudioSampleRate));
    }

    // SDL_mixer's music hook, on the audio thread: the stream arrives silent.
    static void SDLCALL fill(void* self, Uint8* stream, int bytes) {
        static_cast<MixerTrack*>(self)->fill(reinterpret_cast<std::int16_t*>(stream),
                                             std::size_t(bytes) / (kAudioChannels * sizeof(std::int16_t)));
    }

    void fill(std::int16_t* out, std::size_t frames) {
        std::lock_guard lock(mutex_);
        if (!playing_ || paused_) return;
        source_->read(out, frames);
        framesGiven_ += std::int64_t(frames);
        if (fadeLength_ == 0) return;
        // A straight line down to silence, frame by frame; then the music stops.
        for (std::size_t f = 0; f < frames; ++f) {
            const float gain = fadeLeft_ > 0 ? float(fadeLeft_) / float(fadeLength_) : 0.0f;
            if (fadeLeft_ > 0) --fadeLeft_;
            for (int c = 0; c < kAudioChannels; ++c) {
                std::int16_t& value = out[f * kAudioChannels + std::size_t(c)];
                value = std::int16_t(std::lround(float(value) * gain));
            }
        }
        if (fadeLeft_ == 0) playing_ = false;
    }

    std::unique_ptr<MusicSource> source_;
    mutable std::mutex mutex_;
    bool playing_ = false;
    bool paused_ = false;
    long fadeLength_ = 0; // frames; 0 while not fading
    long fadeLeft_ = 0;
    std::int64_t framesGiven_ = 0;
};

class MixerOutput final : public AudioOutput {
public:
    explicit MixerOutput(std::unique_ptr<MixerSession> session) : session_(std::move(session)) {}

    bool silent() const override { return session_->silent(); }

    std::unique_ptr<MusicTrack> loadMusic(const std::string& path) override {
        auto source = loadMusicSource(path);
        if (!source) return nullptr;
        return std::make_unique<MixerTrack>(std::move(source));
    }

private:
    std::unique_ptr<MixerSession> session_;
};

} // namespace

std::unique_ptr<AudioOutput> openAudioOutput(AudioTarget target) {
    if (target == AudioTarget::DeviceOrSilent) {
        if (auto session = MixerSession::open(nullptr)) return std::make_unique<MixerOutput>(std::move(session));
        // No driver, or no device opened: the silent driver stands in, so that loading and
        // playing still behave the same.
    }
    if (auto session = MixerSession::open("dummy")) return std::make_unique<MixerOutput>(std::move(session));
    return nullptr;
}

std::unique_ptr<MusicSource> openMusicSource(const std::string& path) {
    // SDL_mixer decodes only while it is open: the silent driver serves for the time of it.
    auto session = MixerSession::open("dummy");
    if (!session) return nullptr;
    return loadMusicSource(path);
}

} // namespace zamp
