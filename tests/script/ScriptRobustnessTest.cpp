// Every script function with arguments of every kind, in random order: a bad argument must
// end the run with a message, never crash or go unnoticed.
#include "core/Error.h"
#include "support/RecordingDevice.h"
#include "support/ScriptedShow.h"

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
        test::ScriptedShow s(device);
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
            s.run(source);
            ++successes;
            // What was built must draw without surprises.
            s.drawFrame(1);
        } catch (const Error& error) {
            EXPECT_STRNE(error.what(), "") << source;
            ++failures;
        }
    }
    // Both outcomes happen: the inputs reach past the argument checks.
    EXPECT_GT(failures, 10);
    EXPECT_GT(successes, 10);
}

} // namespace
} // namespace zamp
