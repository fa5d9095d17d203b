// The author's mode (`zamp --dev`): the show in a window with its music, keys to pause and
// move through it, and live reload: when the script or any file the show loaded changes, the
// show is built again and goes on at the same demo time. A failed reload keeps the last good
// show playing and draws the message over it until a reload succeeds; the files the failed
// attempt looked for are watched too, so creating a missing one reloads. A script that runs
// longer than kMostAuthorScriptSeconds (an endless loop) is stopped and fails like any other.
//
// Keys: Space pauses and resumes picture and music together; Left/Right move 1 s back or
// forward (10 s with Shift); Home goes to the start time; R reloads now; F toggles full
// screen; Esc ends. Reaching the end time pauses on the last frame.
#pragma once

#include "app/FileWatch.h"
#include "app/Overlay.h"

#include <string>

namespace zamp {

// How long a script may run in the author's mode before it is stopped: a real show's script
// ends in a fraction of it, and an endless loop holds the window only this long.
inline constexpr double kMostAuthorScriptSeconds = 5;

class DemoApp;
struct WindowEvent;

class AuthorSession {
public:
    // `app` has its window and a show loaded; the session starts the music.
    AuthorSession(DemoApp& app, bool syncMusic);

    // Plays until Esc or the window closes; returns the exit code.
    int run();

    // One pass of the loop: events, file checks when due, time, one frame. False once the
    // session should end.
    bool step();

    // What run and step do, one by one (tests drive them directly).
    void handle(const WindowEvent& event);
    // Builds the show again from its files, at the same demo time; true when it succeeded.
    bool reload();
    // Reloads when a watched file changed since the last look.
    void checkFiles();
    void moveTo(float demoTime);
    void setPaused(bool paused);
    // Moves the demo time on by `seconds` of the clock (or to the music's position).
    void advance(double seconds);
    void drawFrame();

    // Shows the message of a show that failed to build (until a reload succeeds).
    void showError(const std::string& text);

    bool paused() const { return paused_; }
    const std::string& errorText() const { return error_; }
    // The title the window shows: demo time, end time, frames per second.
    std::string title(double framesPerSecond) const;

private:
    float musicSecondsAt(float demoTime) const;
    void startMusic();
    void watchFiles();
    void showMessages();

    DemoApp& app_;
    bool syncMusic_;
    bool paused_ = false;
    bool ended_ = false;
    std::string error_;
    std::string musicFileState_; // the music choice the music was started with
    FileWatch watch_;
    Overlay overlay_;
    double warningsShownFor_ = 0; // seconds since the show that earned them was built
    double sinceLook_ = 0;        // seconds since the files were last looked at
    int framesSinceLook_ = 0;
};

} // namespace zamp
