// A show from a stranger on the real executable: by default its script reaches only its own
// folder, and a refused call ends the run with its message and exit code 1; --trust gives the
// script Lua's io and os; a precompiled script is never run.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace zamp {
namespace {

using test::runZamp;
using test::TempDir;

TEST(StrangerShow, ACommandIsRefusedByDefaultAndRunsWithTrust) {
    TempDir user;
    TempDir show;
    const auto mark = user.path() / "ran";
    show.write("data/script.lua", "endtime(0.1)\nos.execute('touch " + mark.string() + "')\n");
    auto refused = runZamp({"--render", "out", "--fps", "10", show.path().string()}, user.path());
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, "os.execute: a show may not run commands; play it with --trust if you wrote it or trust it\n"
                           "  at data/script.lua:2 (os.execute)\n");
    EXPECT_FALSE(std::filesystem::exists(mark));
    EXPECT_FALSE(std::filesystem::exists(user.path() / "out" / test::framePngName(0))) << "nothing of the show is drawn";

    auto trusted = runZamp({"--trust", "--render", "out", "--fps", "10", show.path().string()}, user.path());
    EXPECT_EQ(trusted.exitCode, 0) << trusted.err;
    EXPECT_TRUE(std::filesystem::exists(mark));
    EXPECT_TRUE(std::filesystem::exists(user.path() / "out" / test::framePngName(0)));
}

TEST(StrangerShow, AShowWritesInsideItsFolderButNotBesideIt) {
    TempDir user;
    const auto show = user.path() / "show";
    user.write("show/data/script.lua", "endtime(0.1)\n"
                                       "local f = assert(io.open('data/notes.txt', 'w')) f:write('kept') f:close()\n"
                                       "io.open('../beside.txt', 'w')\n");
    auto r = runZamp({"--render", "out", "--fps", "10"}, show);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "io.open: a show may not use files outside its folder (\"../beside.txt\"); play it with --trust "
                     "if you wrote it or trust it\n  at data/script.lua:3 (io.open)\n");
    EXPECT_EQ(test::readText(show / "data" / "notes.txt"), "kept");
    EXPECT_FALSE(std::filesystem::exists(user.path() / "beside.txt"));
}

TEST(StrangerShow, APrecompiledScriptIsNeverRunNotEvenTrusted) {
    TempDir show;
    // A script that puts itself in precompiled form in its own place: the first run makes it.
    show.write("data/script.lua", "local f = io.open('data/script.lua', 'wb') "
                                  "f:write(string.dump(function() endtime(1) end)) f:close()");
    ASSERT_EQ(runZamp({"--render", "first"}, show.path()).exitCode, 0);
    ASSERT_EQ(test::readText(show.path() / "data" / "script.lua").substr(0, 4), "\x1bLua");
    for (const bool trusted : {false, true}) {
        std::vector<std::string> args{"--render", "out"};
        if (trusted) args.insert(args.begin(), "--trust");
        auto r = runZamp(args, show.path());
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, "data/script.lua: a precompiled chunk is never run, not even with --trust; use the Lua source "
                         "instead\n");
        EXPECT_FALSE(std::filesystem::exists(show.path() / "out"));
    }
}

} // namespace
} // namespace zamp
