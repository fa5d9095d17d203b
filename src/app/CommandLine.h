// The player's command line: zamp [--windowed] [--size WxH] [--dev] [--sync-music] [--trust]
// [--render OUT_DIR [--fps N] [--at T]... [--frames FIRST:LAST]]
// [--render VIDEO_FILE [--fps N] [--quality N] [--codec NAME]] [--bench N] [--help]
// [--version] [SHOW_DIR]
#pragma once

#include "app/FrameSequence.h"

#include <optional>
#include <string>
#include <vector>

namespace zamp {

struct CommandLine {
    bool windowed = false;
    int width = 0; // 0: the default of the mode
    int height = 0;
    std::optional<std::string> renderDir; // a folder, or a video file (renderVideo)
    double fps = 60;
    std::vector<double> at;
    std::optional<FrameRange> frames;
    long benchFrames = 0;
    bool dev = false;       // the author's mode: a window, keys, live reload
    bool syncMusic = false; // the demo time follows the music's playing position
    bool trust = false;     // the script gets Lua's io and os in full (script/ScriptSandbox.h)
    std::string codec;          // a video encoder's name; empty: the file type's usual one
    std::optional<int> quality; // 0..100, for a video file
    bool help = false;
    bool version = false;
    std::string showDir;

    bool offline() const { return renderDir.has_value() || benchFrames > 0; }
    bool renderVideo() const;
};

// Whether --render writes `path` as one video file: a name ending in .mp4, .mkv, .webm or
// .mov, in any case. Every other name is a folder of frames.
bool isVideoFileName(const std::string& path);

// Throws an Error with a one-line reason for a bad command line.
CommandLine parseCommandLine(const std::vector<std::string>& args);

extern const char* const kUsage;

// The environment switch that turns the skipping of meshes out of view off: ZAMP_NO_CULLING
// set to anything but nothing or "0" (`value` is its value, null when it is not set).
inline constexpr const char* kNoCullingVariable = "ZAMP_NO_CULLING";
bool cullingSwitchedOff(const char* value);

// The parts of the parser the page's options share. Both throw an Error naming `option`.
double parseNumber(const std::string& option, const std::string& text);
void parseSize(const std::string& text, int& width, int& height);

} // namespace zamp
