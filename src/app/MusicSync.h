// --sync-music: the demo time follows the music's playing position instead of the frame
// clock. The position moves in steps of the sound device's buffer; the clock fills in
// between, and the demo time never runs backwards.
#pragma once

#include <algorithm>

namespace zamp {

// The next demo time after `seconds` of the clock, pulled toward `musicDemoTime` (the demo
// time the music's position stands for) by at most twice the clock's step either way.
inline double followMusic(double demoTime, double seconds, double musicDemoTime) {
    constexpr double kPull = 2.0;
    const double gap = musicDemoTime - (demoTime + seconds);
    return demoTime + std::max(0.0, seconds + std::clamp(gap, -kPull * seconds, kPull * seconds));
}

// The demo time the music's position stands for: music that started `musicStart` seconds in
// at the show's start time.
inline double musicDemoTime(double showStart, double musicStart, double musicPosition) {
    return showStart + musicPosition - musicStart;
}

} // namespace zamp
