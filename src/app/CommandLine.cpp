#include "app/CommandLine.h"

#include "core/Error.h"

#include <cctype>
#include <cmath>
#include <string_view>

namespace zamp {

const char* const kUsage =
    "Usage: zamp [--windowed] [--size WxH] [--dev] [--sync-music] [--trust] "
    "[--render OUT_DIR [--fps N] [--at T]... [--frames FIRST:LAST]] "
    "[--render VIDEO.mp4|.mkv|.webm|.mov [--fps N] [--quality N] [--codec NAME]] "
    "[--bench N] [--help] [--version] [SHOW_DIR]";

bool isVideoFileName(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return false;
    std::string ending = path.substr(dot + 1);
    for (char& c : ending) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ending == "mp4" || ending == "mkv" || ending == "webm" || ending == "mov";
}

bool CommandLine::renderVideo() const { return renderDir && isVideoFileName(*renderDir); }

double parseNumber(const std::string& option, const std::string& text) {
    std::size_t used = 0;
    double value = 0;
    try {
        value = std::stod(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != text.size() || !std::isfinite(value))
        throw Error(option + " needs a number, not '" + text + "'");
    return value;
}

void parseSize(const std::string& text, int& width, int& height) {
    std::size_t x = text.find('x');
    auto part = [&](const std::string& s) {
        double v = x == std::string::npos ? 0 : parseNumber("--size", s);
        if (v < 1 || v > 16384 || v != std::floor(v))
            throw Error("--size needs WIDTHxHEIGHT in whole pixels (1 to 16384), not '" + text + "'");
        return int(v);
    };
    if (x == std::string::npos) part("");
    width = part(text.substr(0, x));
    height = part(text.substr(x + 1));
}

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine cl;
    bool haveShow = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw Error(a + " needs a value");
            return args[++i];
        };
        if (a == "--windowed") {
            cl.windowed = true;
        } else if (a == "--size") {
            parseSize(value(), cl.width, cl.height);
        } else if (a == "--render") {
            cl.renderDir = value();
            if (cl.renderDir->empty()) throw Error("--render needs a folder");
        } else if (a == "--fps") {
            cl.fps = parseNumber(a, value());
            if (!(cl.fps > 0 && cl.fps <= 1000)) throw Error("--fps needs a number above 0 and at most 1000");
        } else if (a == "--at") {
            cl.at.push_back(parseNumber(a, value()));
        } else if (a == "--frames") {
            const std::string& text = value();
            cl.frames = parseFrameRange(text);
            if (!cl.frames) throw Error("--frames needs FIRST:LAST, two frame numbers with FIRST <= LAST, not '" + text + "'");
        } else if (a == "--quality") {
            const double q = parseNumber(a, value());
            if (q < 0 || q > 100 || q != std::floor(q)) throw Error("--quality needs a whole number from 0 to 100");
            cl.quality = int(q);
        } else if (a == "--codec") {
            cl.codec = value();
            if (cl.codec.empty()) throw Error("--codec needs the name of a video encoder");
        } else if (a == "--dev") {
            cl.dev = true;
        } else if (a == "--sync-music") {
            cl.syncMusic = true;
        } else if (a == "--trust") {
            cl.trust = true;
        } else if (a == "--bench") {
            double n = parseNumber(a, value());
            if (n < 1 || n != std::floor(n) || n > 1e9) throw Error("--bench needs a frame count of 1 or more");
            cl.benchFrames = long(n);
        } else if (a == "--help" || a == "-h") {
            cl.help = true;
        } else if (a == "--version") {
            cl.version = true;
        } else if (!a.empty() && a[0] == '-') {
            throw Error("unknown option " + a);
        } else if (haveShow) {
            throw Error("only one show folder may be given");
        } else {
            cl.showDir = a;
            haveShow = true;
        }
    }
    if (!cl.renderDir && (!cl.at.empty()))
        throw Error("--at goes with --render");
    if (cl.renderDir && cl.benchFrames > 0) throw Error("--render and --bench exclude each other");
    if (cl.frames && !cl.renderDir) throw Error("--frames goes with --render");
    if (cl.frames && !cl.at.empty()) throw Error("--frames and --at exclude each other");
    if (cl.renderVideo() && cl.frames)
        throw Error("--frames renders part of a show into a folder; a video file is made of the whole show "
                    "(render the parts into one folder, then make the video from it)");
    if (cl.renderVideo() && !cl.at.empty())
        throw Error("--at renders single frames into a folder, not into a video file");
    if ((cl.quality || !cl.codec.empty()) && !cl.renderVideo())
        throw Error(std::string(cl.quality ? "--quality" : "--codec") +
                    " goes with --render to a video file (.mp4, .mkv, .webm or .mov)");
    if (cl.dev && cl.offline()) throw Error("--dev plays in a window: it goes with neither --render nor --bench");
    if (cl.syncMusic && cl.offline()) throw Error("--sync-music is for playing: offline runs follow their own frame times");
    return cl;
}

bool cullingSwitchedOff(const char* value) {
    return value != nullptr && *value != '\0' && std::string_view(value) != "0";
}

} // namespace zamp
