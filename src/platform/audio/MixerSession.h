// The SDL audio subsystem and SDL_mixer with a device open, as RAII owners. SDL_mixer's state
// is process-wide, so at most one session exists at a time.
#pragma once

#include "platform/audio/QuietAlsa.h"

#include <memory>

namespace zamp {

class MixerSession {
public:
    // With `forcedDriver` null, SDL's own choice of driver (which honours SDL_AUDIODRIVER).
    // Null when the driver does not start or no device opens. The mixer always runs at
    // kAudioSampleRate, stereo, 16-bit: SDL converts for the device if it must.
    static std::unique_ptr<MixerSession> open(const char* forcedDriver);
    ~MixerSession();
    MixerSession(const MixerSession&) = delete;
    MixerSession& operator=(const MixerSession&) = delete;

    // True when the session plays to SDL's silent driver.
    bool silent() const { return silent_; }

private:
    MixerSession(std::unique_ptr<QuietAlsa> quiet, bool silent) : quiet_(std::move(quiet)), silent_(silent) {}
    // Kept while the device is open: the mixer opens and closes the device after start-up.
    std::unique_ptr<QuietAlsa> quiet_;
    bool silent_;
};

} // namespace zamp
