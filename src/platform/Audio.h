// Music output: opening an output (the real device, or a silent one when there is none or
// none is wanted), loading one piece of music from a file and playing, positioning and
// fading it. Nothing here reports a failure: a missing device or an unreadable file is never
// an error for the player; the show then runs in silence. There is at most one output at a
// time, and each track must be destroyed before the output that loaded it.
#pragma once

#include <memory>
#include <string>

namespace zamp {

// The format the mixer runs at: interleaved signed 16-bit samples in the machine's byte
// order.
inline constexpr int kAudioSampleRate = 44100;
inline constexpr int kAudioChannels = 2;
inline constexpr int kAudioBytesPerSample = 2;

// A stream is sampled audio (WAV, OGG, MP3, FLAC, Opus) and can be positioned; a module is
// tracker music (MOD, XM, S3M, IT) and is always played from its beginning.
enum class MusicKind { Stream, Module };

class MusicTrack {
public:
    virtual ~MusicTrack() = default; // stops it first if it is playing

    virtual MusicKind kind() const = 0;
    // Starts playing, looping forever (each pass after the first from the very beginning).
    // A stream starts `fromSeconds` in; a module ignores it.
    virtual void play(double fromSeconds) = 0;
    // Starts lowering the volume to silence over `milliseconds`; the music stops when it
    // gets there. Nothing happens when it is not playing.
    virtual void startFadeOut(int milliseconds) = 0;
    // True while this music is playing and a fade-out has not yet brought it to silence.
    virtual bool fadingOut() const = 0;
    virtual bool playing() const = 0;
    virtual void stop() = 0;
};

enum class AudioTarget {
    DeviceOrSilent, // the default output device, else the silent output
    SilentOnly,     // only the silent output: no device is touched (offline rendering)
};

class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    // True when output goes nowhere.
    virtual bool silent() const = 0;

    // The file at `path`, exactly as given: a stream when its bytes are one of the sampled
    // formats, otherwise a module when the tracker decoder accepts it. Null (and no message)
    // for anything else.
    virtual std::unique_ptr<MusicTrack> loadMusic(const std::string& path) = 0;
};

} // namespace zamp
