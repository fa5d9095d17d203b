// Music: decoding a file into the samples the player plays, and playing them on an output
// (the real device, or a silent one when there is none or none is wanted). Nothing here
// reports a failure: a missing device or an unreadable file is never an error for the
// player; the show then runs in silence. There is at most one output at a time, and each
// track must be destroyed before the output that loaded it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace zamp {

// The format music is decoded to and played at: interleaved signed 16-bit stereo frames in
// the machine's byte order.
inline constexpr int kAudioSampleRate = 44100;
inline constexpr int kAudioChannels = 2;
inline constexpr int kAudioBytesPerSample = 2;

// A stream is sampled audio (WAV, OGG, MP3, FLAC, Opus); a module is tracker music (MOD, XM,
// S3M, IT). Both are positioned to the frame: a module by decoding it from its start up to
// the place.
enum class MusicKind { Stream, Module };

// A piece of music as the player plays it, frame by frame. Reading depends on no device and
// no clock, so a file written from it holds exactly what playback gives.
class MusicSource {
public:
    virtual ~MusicSource() = default;
    virtual MusicKind kind() const = 0;
    // Moves to the frame nearest `seconds` after the very beginning. A stream past its end
    // goes to its beginning; a module gives from there exactly what reading on from its
    // beginning gives, its own loops included (up to an hour in; later: its beginning).
    virtual void seek(double seconds) = 0;
    // Fills `frameCount` frames and moves on; at the end it goes on where playback loops to
    // (a stream from its beginning, a module as the module itself loops).
    virtual void read(std::int16_t* frames, std::size_t frameCount) = 0;
    // Seconds from the beginning to where playback loops: exact for a stream, as the decoder
    // estimates it for a module; 0 when unknown.
    virtual double duration() const = 0;
};

// Music playing on an output.
class MusicTrack {
public:
    virtual ~MusicTrack() = default; // stops it first if it is playing

    virtual MusicKind kind() const = 0;
    // Starts playing, looping forever, `fromSeconds` in (to the frame, as MusicSource::seek
    // places it).
    virtual void play(double fromSeconds) = 0;
    // Holds the music where it is, or goes on from there.
    virtual void setPaused(bool paused) = 0;
    // Moves playing music to where it stands `seconds` after its beginning, looping included,
    // to the frame.
    virtual void seek(double seconds) = 0;
    // Seconds of music given to the device since the beginning of the music, counting on
    // through every loop: where playback stands.
    virtual double position() const = 0;
    // Starts lowering the volume to silence over `milliseconds`; the music stops when it gets
    // there. Nothing happens when it is not playing.
    virtual void startFadeOut(int milliseconds) = 0;
    // True while this music is playing and a fade-out has not yet brought it to silence.
    virtual bool fadingOut() const = 0;
    virtual bool playing() const = 0;
    virtual void stop() = 0;
};

enum class AudioTarget {
    DeviceOrSilent, // the default output device, else the silent output
    SilentOnly,     // only the silent output: no device is touched
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
