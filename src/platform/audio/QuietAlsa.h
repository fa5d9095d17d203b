// While one of these lives, the ALSA library keeps its own error lines ("ALSA lib ...") to
// itself. SDL probes ALSA for a sound device, and on a machine without one the library would
// print its probe failures on standard error, between the player's own lines. SDL loads
// ALSA at run time, so it is reached the same way here; without ALSA this does nothing.
#pragma once

namespace zamp {

class QuietAlsa {
public:
    QuietAlsa();
    ~QuietAlsa();
    QuietAlsa(const QuietAlsa&) = delete;
    QuietAlsa& operator=(const QuietAlsa&) = delete;

private:
    void* library_ = nullptr;
};

} // namespace zamp
