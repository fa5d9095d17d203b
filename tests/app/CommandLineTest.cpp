#include "app/CommandLine.h"
#include "core/Error.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace zamp {
namespace {

TEST(CommandLine, ParsesEveryOption) {
    CommandLine cl = parseCommandLine({"--windowed", "--size", "800x600", "--render", "out", "--fps", "30", "--at",
                                       "1.5", "--at", "2", "--trust", "show"});
    EXPECT_TRUE(cl.windowed);
    EXPECT_TRUE(cl.trust);
    EXPECT_EQ(cl.width, 800);
    EXPECT_EQ(cl.height, 600);
    EXPECT_EQ(cl.renderDir.value(), "out");
    EXPECT_EQ(cl.fps, 30);
    EXPECT_EQ(cl.at, (std::vector<double>{1.5, 2}));
    EXPECT_EQ(cl.showDir, "show");
    EXPECT_TRUE(cl.offline());
}

TEST(CommandLine, AScriptIsTrustedOnlyWhenAsked) {
    EXPECT_FALSE(parseCommandLine({"show"}).trust);
    EXPECT_FALSE(parseCommandLine({"--dev", "show"}).trust);
    EXPECT_TRUE(parseCommandLine({"--dev", "--trust", "show"}).trust);
    EXPECT_TRUE(parseCommandLine({"--trust", "--render", "out"}).trust);
    EXPECT_THROW(parseCommandLine({"--trust=yes"}), Error);
}

TEST(CommandLine, RefusesBadInput) {
    for (auto args : std::vector<std::vector<std::string>>{{"--size", "800"},
                                                           {"--size", "0x600"},
                                                           {"--size", "axb"},
                                                           {"--fps", "0"},
                                                           {"--render"},
                                                           {"--at", "1"},
                                                           {"--bench", "-3"},
                                                           {"--render", "a", "--bench", "3"},
                                                           {"--frobnicate"},
                                                           {"a", "b"}}) {
        EXPECT_THROW(parseCommandLine(args), Error) << args[0];
    }
}

} // namespace
} // namespace zamp
