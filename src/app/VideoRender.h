// --render into one video file: the frames of the whole show encoded as they are drawn, with
// its music.
#pragma once

#include "app/CommandLine.h"

#include <string>

namespace zamp {

class DemoApp;

// Frame k at demo time start + k / fps while below the end time, as into a folder, and the
// music that music.wav would hold, both from 0 in the file. The file appears only once it is
// whole. Returns the exit code: 0, or the interrupt's after a signal (and no file).
int renderVideo(DemoApp& app, const CommandLine& commandLine, const std::string& path);

} // namespace zamp
