// The script surface: each input becomes a Lua script that calls the twenty script functions
// with arguments of every type and count (nil, booleans, tables, words, file names with and
// without a zero byte, huge strings, negative, fractional, huge, infinite and NaN numbers,
// layer numbers in and out of range), some of them through pcall, and then a few frames of the
// show are drawn through the recording device. Every input must end in a show that draws or in
// one of the player's messages; a crash, a sanitizer report or an exception of another type is
// a finding.
#include "FuzzSupport.h"

#include "core/Error.h"
#include "platform/Platform.h"
#include "script/ScriptHost.h"
#include "show/Frame.h"
#include "show/RenderContext.h"
#include "show/Show.h"
#include "support/RecordingDevice.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdio>
#include <iostream>
#include <iterator>

using namespace zamp;

namespace {

const char* const kFunctions[] = {
    "loadmusic", "loadsiv",   "loadimage", "createtexture", "setambientcolor", "setimagepos", "setimagerot",
    "setimagescale", "setimagecolor", "starttime", "endtime", "layer", "start", "stop", "capture", "random",
    "enablefog", "disablefog", "setfogcolor", "setfogrange"};

// Argument texts: every Lua type, and the numbers and words that have broken players before.
const char* const kArguments[] = {
    "nil", "true", "false", "{}", "{1, 2}", "print", "0", "1", "2", "3", "-1", "7", "11", "12", "50", "0.5",
    "-0.5", "1.9999", "255", "256", "-256", "65535", "8192", "8193", "2^31", "-2^31", "2^31 - 1", "2^32", "2^53",
    "1e300", "-1e300", "1e-310", "1/0", "-1/0", "0/0", "-(0/0)", "'12'", "' 5 '", "'0x10'", "'1e2'", "'abc'", "''",
    "'t.png'", "'data/d.png'", "'d.png'", "'b.bmp'", "'s.siv'", "'empty.png'", "'missing.png'", "'a\\0b'",
    "'t.png\\0.txt'", "'../s.siv'", "'/dev/zero'", "'.'", "'scene'", "'img'", "'rt'", "string.rep('x', 100000)",
    "string.rep('\\255', 300)", "L", "L + 1", "L - 1", "-L", "N", "C"};

// Calls that make something later calls can use, with sensible arguments.
const char* const kSetUps[] = {
    "loadimage('t.png', 'img')", "loadsiv('s.siv', 'scene')", "createtexture(64, 32, 'rt')",
    "L = layer(2, 'img', 1, 5, 6)", "L = layer(1, 'scene', 0, 0, 2, 5, 6)", "C = capture('rt', 0, 20)",
    "N = layer(2, 'rt', 3, 5, 6)", "start(L, 0)", "stop(L, 10)"};

std::string makeScript(FuzzedDataProvider& in) {
    std::string script = "L = 0 N = 0 C = 0\n";
    const int calls = in.ConsumeIntegralInRange(0, 40);
    for (int i = 0; i < calls && in.remaining_bytes() > 0; ++i) {
        if (in.ConsumeBool()) {
            script += in.PickValueInArray(kSetUps);
            script += '\n';
            continue;
        }
        const char* function = in.PickValueInArray(kFunctions);
        std::string arguments;
        const int count = in.ConsumeIntegralInRange(0, 8);
        for (int a = 0; a < count; ++a) {
            if (a) arguments += ", ";
            arguments += in.PickValueInArray(kArguments);
        }
        switch (in.ConsumeIntegralInRange(0, 2)) {
        case 0: script += std::string(function) + "(" + arguments + ")\n"; break;
        case 1: script += std::string("pcall(") + function + (count ? ", " : "") + arguments + ")\n"; break;
        default: script += std::string("L = ") + function + "(" + arguments + ") or L\n"; break;
        }
    }
    return script;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::enterScratchFolder();
    // The script's own run-time errors go to std::cerr; they are no finding. Sanitizer
    // reports and findings still reach standard error.
    std::cerr.rdbuf(nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string script = makeScript(in);
    static const std::unique_ptr<ImageFiles> imageFiles = openImageFiles();
    test::RecordingDevice device;
    Show show;
    bool failed = false;
    {
        ScriptHost host(ScriptContext{show, device, *imageFiles});
        try {
            host.runString(script, "=fuzz");
        } catch (const Error&) {
            failed = true; // a script function's message: the player would stop here
        }
    }
    if (failed) return 0;
    checkFinishedShow(show);
    show.renderStates.apply(device);
    RenderContext context{device, device.renderTarget(0)};
    for (float t : {0.0f, 0.5f, 1.0f, 4.0f, 25.0f, -3.0f}) {
        try {
            composeFrame(show, t, context);
        } catch (const Error& e) {
            fuzz::finding(std::string("a show whose script ran failed to draw: ") + e.what() + "\n" + script);
        }
    }
    return 0;
}
