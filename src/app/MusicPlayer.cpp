#include "app/MusicPlayer.h"

#include "core/ShowFiles.h"
#include "platform/Platform.h"

#include <chrono>
#include <thread>

namespace zamp {

namespace {

constexpr int kFadeMilliseconds = 200;
// The program's last sound must be heard to the end: the wait is never shorter than this,
// even though the fade itself takes less.
constexpr auto kLeastFadeWait = std::chrono::milliseconds(300);
// The fade advances only as the device consumes audio. A device that stopped doing so
// (unplugged, suspended) would otherwise keep the program from ever exiting.
constexpr auto kMostFadeWait = std::chrono::seconds(3);

} // namespace

std::string noMusicWarning(const std::string& path) {
    // A name that finds no file is a typo or a file left behind, not a format problem.
    if (!findShowFile(path)) return path + " does not exist, so the show plays without music";
    return path + " is neither a music stream nor a module that can be played, so the show plays without music";
}

MusicPlayer::MusicPlayer(bool silent) : silent_(silent) {}

MusicPlayer::~MusicPlayer() { close(); }

void MusicPlayer::close() {
    track_.reset();
    output_.reset();
    startSeconds_ = 0.0f;
}

bool MusicPlayer::load(const std::string& path) {
    // A second load starts afresh: the old music and output go first, and the output is
    // opened again so that a changed silent choice takes effect.
    close();
    output_ = openAudioOutput(silent_ ? AudioTarget::SilentOnly : AudioTarget::DeviceOrSilent);
    if (!output_) {
        return false;
    }
    track_ = output_->loadMusic(path);
    return track_ != nullptr;
}

void MusicPlayer::seek(float seconds) {
    if (!loaded()) {
        return;
    }
    startSeconds_ = seconds;
}

void MusicPlayer::play() {
    if (!loaded()) {
        return;
    }
    track_->play(startSeconds_);
}

void MusicPlayer::setPaused(bool paused) {
    if (loaded()) track_->setPaused(paused);
}

void MusicPlayer::moveTo(double seconds) {
    if (loaded()) track_->seek(seconds);
}

double MusicPlayer::position() const { return loaded() ? track_->position() : 0.0; }

MusicKind MusicPlayer::kind() const { return track_->kind(); }

void MusicPlayer::startFadeOut() {
    if (!loaded()) {
        return;
    }
    fadeStart_ = std::chrono::steady_clock::now();
    track_->startFadeOut(kFadeMilliseconds);
}

bool MusicPlayer::fadeOutFinished() const {
    if (!loaded()) {
        return true;
    }
    const auto waited = std::chrono::steady_clock::now() - fadeStart_;
    return waited >= kLeastFadeWait && (!track_->fadingOut() || waited >= kMostFadeWait);
}

void MusicPlayer::fadeOut() {
    if (!loaded()) {
        return;
    }
    startFadeOut();
    while (!fadeOutFinished()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    close();
}

} // namespace zamp
