// Every script function with arguments of every kind, in random order: a bad argument must
// end the run with a message (a std::string or a fixed text), never crash or go unnoticed.
#include "app/DemoApp.h"
#include "support/RecordingDevice.h"

#include <gtest/gtest.h>

#include <random>

namespace zamp {
namespace {

const char* const kFunctions[] = {"loadmusic",  "loadsiv",    "loadimage",     "createtexture", "setambientcolor",
                                  "setimagepos", "setimagerot", "setimagescale", "setimagecolor", "starttime",
                                  "endtime",     "layer",       "start",         "stop",          "capture",
                                  "random",      "enablefog",   "disablefog",    "setfogcolor",   "setfogrange"};

std::string randomArgument(std::mt19937& rng) {
    const char* const values[] = {"0", "1", "2", "-1", "3.7", "1e12", "0/0", "-1/0", "'a'", "'img'", "''",
                                  "nil", "{}", "'missing.png'", "true", "65536", "-2147483649"};
    return values[rng() % std::size(values)];
}

TEST(ScriptRobustness, RandomCallsEndInMessagesOrSucceed) {
    std::mt19937 rng(12345);
    int failures = 0, successes = 0;
    for (int run = 0; run < 400; ++run) {
        test::RecordingDevice device;
        DemoApp app;
        app.attachDevice(device);
        app.music.setSilent(true);
        app.script.open(app);
        // Something for the lookups to find, then a few random calls.
        std::string source = "createtexture(0, 0, 'img') createtexture(8, 8, 'rt') ";
        for (int call = 0, calls = 1 + int(rng() % 3); call < calls; ++call) {
            source += kFunctions[rng() % std::size(kFunctions)];
            source += "(";
            int count = int(rng() % 8);
            for (int a = 0; a < count; ++a) source += (a ? ", " : "") + randomArgument(rng);
            source += ") ";
        }
        try {
            app.script.runString(source);
            ++successes;
            // What was built must draw without surprises.
            app.script.demoTime = 1;
            app.renderFrame();
        } catch (const std::string& message) {
            EXPECT_FALSE(message.empty()) << source;
            ++failures;
        } catch (const char* message) {
            EXPECT_NE(message, nullptr) << source;
            ++failures;
        }
    }
    // Both outcomes happen: the inputs reach past the argument checks.
    EXPECT_GT(failures, 10);
    EXPECT_GT(successes, 10);
}

} // namespace
} // namespace zamp
