// Music output on SDL2_mixer: opening an output (the real device, or SDL's silent `dummy`
// driver when there is none or none is wanted), loading one piece of music from a file and
// playing, positioning and fading it.
//
// This file does not: mix sound effects, report failures (a missing device or an unreadable
// file is never an error for the player; the show then runs in silence), or keep more than
// one output open. SDL_mixer's music state is process-wide, so there is at most one
// AudioOutput at a time, and the SDL audio subsystem belongs to it alone.
#pragma once

#include <memory>
#include <string>

struct _Mix_Music;  // SDL_mixer's music object; only AudioOutput.cpp sees its definition.

namespace zamp {

// The format the mixer runs at. SDL converts it to whatever the device wants, so this is
// also exactly what SDL's `disk` driver writes: interleaved signed 16-bit samples in the
// machine's byte order.
inline constexpr int kAudioSampleRate = 44100;
inline constexpr int kAudioChannels = 2;
inline constexpr int kAudioBytesPerSample = 2;

// A stream is sampled audio (WAV, OGG, MP3, FLAC, Opus) and can be positioned; a module is
// tracker music (MOD, XM, S3M, IT) and is always played from its beginning.
enum class MusicKind { Stream, Module };

// One loaded piece of music. Must be destroyed before the AudioOutput that loaded it.
class MusicTrack {
public:
    struct Free {
        void operator()(_Mix_Music* music) const;
    };
    using Handle = std::unique_ptr<_Mix_Music, Free>;

    MusicTrack(Handle music, MusicKind kind);
    ~MusicTrack();  // stops it first if it is playing
    MusicTrack(const MusicTrack&) = delete;
    MusicTrack& operator=(const MusicTrack&) = delete;

    MusicKind kind() const { return kind_; }

    // Starts playing, looping forever (each pass after the first from the very beginning).
    // A stream starts `fromSeconds` in; a module ignores it (see AudioOutput.cpp for why).
    void play(double fromSeconds);
    // Starts lowering the volume to silence over `milliseconds`; the music stops when it
    // gets there. Nothing happens when it is not playing.
    void startFadeOut(int milliseconds);
    // True while this music is playing and a fade-out has not yet brought it to silence.
    bool fadingOut() const;
    bool playing() const;
    void stop();

private:
    Handle music_;
    MusicKind kind_;
};

class AudioOutput {
public:
    enum class Target {
        DeviceOrSilent,  // the default output device, else the silent driver
        SilentOnly,      // only the silent driver: no device is touched (offline rendering)
    };

    // Null only when not even the silent driver opens. Never prints anything.
    static std::unique_ptr<AudioOutput> open(Target target);
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // True when output goes to the silent driver.
    bool silent() const { return silent_; }

    // The file at `path`, exactly as given: a stream when its bytes are one of the sampled
    // formats, otherwise a module when the tracker decoder accepts it. Null (and no message)
    // for anything else.
    std::unique_ptr<MusicTrack> loadMusic(const std::string& path);

private:
    class Subsystem;
    class Mixer;
    AudioOutput(std::unique_ptr<Subsystem> subsystem, std::unique_ptr<Mixer> mixer, bool silent);

    // Declared in opening order, so they close in the reverse one.
    std::unique_ptr<Subsystem> subsystem_;
    std::unique_ptr<Mixer> mixer_;
    bool silent_;
};

} // namespace zamp
