// The show's one piece of music: loaded and positioned before the show starts, started just
// before the frame clock, faded out after the main loop; in the author's mode also paused
// and moved with the picture. Nothing here reports a failure:
// without a sound device the music plays silently, and a file that is no music leaves the
// player unloaded, so the show runs without it.
#pragma once

#include "platform/Audio.h"

#include <chrono>
#include <memory>
#include <string>

namespace zamp {

// The warning for music that the player cannot play: that the file does not exist, or that it
// is no music the player reads.
std::string noMusicWarning(const std::string& path);

class MusicPlayer {
public:
    // `silent` opens no sound device at all, only SDL's silent driver (offline rendering).
    explicit MusicPlayer(bool silent = false);
    ~MusicPlayer();
    MusicPlayer(const MusicPlayer&) = delete;
    MusicPlayer& operator=(const MusicPlayer&) = delete;

    // Chooses the output for the next `load`; one already open is kept until then.
    void setSilent(bool silent) { silent_ = silent; }

    // Opens the output (the sound device, else the silent driver) and the file at `path`
    // exactly as given, as a stream or else as a module. False when it is neither; then the
    // player is unloaded (any music it had before is gone too) and the output stays open.
    bool load(const std::string& path);
    // Where the music starts when `play` is called, in seconds (to the frame, streams and
    // modules alike). Only while loaded.
    void seek(float seconds);
    // Starts playback, looping forever. Only while loaded.
    void play();
    // Holds the music or lets it go on. Only while loaded.
    void setPaused(bool paused);
    // Moves the music to `seconds` after its beginning, to the frame. Only while loaded.
    void moveTo(double seconds);
    // Seconds of music played since its beginning, counting on through loops; 0 unloaded.
    double position() const;
    // What was loaded: a stream or a module. Only while loaded.
    MusicKind kind() const;
    // Only while loaded: lowers the volume to silence over 200 ms, waits at least 300 ms and
    // until the fade has finished, then closes the output; the player is unloaded after.
    void fadeOut();
    // fadeOut in parts, for a caller that must not block (the browser's frame callback):
    // start the fade, ask each frame whether the wait is over, then unload.
    void startFadeOut();
    bool fadeOutFinished() const;
    void unload() { close(); }

    bool loaded() const { return track_ != nullptr; }

private:
    void close();

    bool silent_;
    float startSeconds_ = 0.0f;
    std::chrono::steady_clock::time_point fadeStart_;
    // The track goes before the output it was loaded on (members die in reverse order).
    std::unique_ptr<AudioOutput> output_;
    std::unique_ptr<MusicTrack> track_;
};

} // namespace zamp
