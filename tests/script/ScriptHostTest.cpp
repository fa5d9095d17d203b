#include "script/ScriptArgs.h"
#include "support/RecordingDevice.h"
#include "support/ScriptedShow.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <lua.hpp>

namespace zamp {
namespace {

struct HostFixture : ::testing::Test {
    test::RecordingDevice device;
    test::ScriptedShow s{device};
    ScriptHost& script = *s.script;
    std::string failure(const std::string& source) { return s.failure(source); }
    bool global(const char* name) {
        lua_getglobal(script.state(), name);
        bool set = !lua_isnil(script.state(), -1);
        lua_pop(script.state(), 1);
        return set;
    }
};

TEST_F(HostFixture, OpensOnlyTheShowLibraries) {
    for (const char* lib : {"print", "io", "os", "string", "math", "pcall"}) EXPECT_TRUE(global(lib)) << lib;
    for (const char* lib : {"table", "debug", "package", "require"}) EXPECT_FALSE(global(lib)) << lib;
    for (const char* fn : {"setambientcolor", "enablefog", "random", "starttime", "endtime", "loadmusic"})
        EXPECT_TRUE(global(fn)) << fn;
}

TEST_F(HostFixture, AFailureCannotBeSwallowedWithPcall) {
    // The script catches the error and goes on; the next script function fails at once and
    // the host rethrows the first failure when the script returns.
    std::string message = failure("local ok = pcall(random, 0) "
                                  "assert(not ok) "
                                  "starttime(42)");
    EXPECT_EQ(message, "random: n must not be 0");
    EXPECT_EQ(s.show.startTime, 0.0f) << "starttime ran after a failure";
}

TEST_F(HostFixture, LuaErrorsAreReportedAndStartUpGoesOn) {
    EXPECT_EQ(script.runString("starttime(3) error('boom')"), 1);
    EXPECT_EQ(s.show.startTime, 3.0f);
    EXPECT_EQ(script.runString("this is not lua"), 3);
}

TEST_F(HostFixture, RunFileReportsAMissingFileAsTwo) {
    test::TempDir dir;
    EXPECT_EQ(script.runFile((dir.path() / "nothing.lua").string()), 2);
    auto file = dir.write("s.lua", "endtime(7)");
    EXPECT_EQ(script.runFile(file.string()), 0);
    EXPECT_EQ(s.show.endTime, 7.0f);
}

TEST_F(HostFixture, MissingStringArgumentsAreNamed) {
    EXPECT_EQ(failure("loadmusic()"), "loadmusic: argument 1 (file path) must be a string");
    EXPECT_EQ(failure("loadmusic({})"), "loadmusic: argument 1 (file path) must be a string");
}

TEST(ScriptArgs, ConvertsNumbersLikeTheOriginalHost) {
    lua_State* L = luaL_newstate();
    for (double v : {1.7, -1.7, 256.0, 300.0, -1.0, 1e12, 0.0 / 0.0}) lua_pushnumber(L, v);
    lua_pushstring(L, "12.5");
    ScriptArgs args(L, "f");
    EXPECT_EQ(args.integer(1), 1);
    EXPECT_EQ(args.integer(2), -1);
    EXPECT_EQ(args.colourByte(3), 0u);
    EXPECT_EQ(args.colourByte(4), 44u);
    EXPECT_EQ(args.colourByte(5), 255u);
    EXPECT_EQ(args.integer(6), INT32_MAX);
    EXPECT_EQ(args.integer(7), 0);
    EXPECT_EQ(args.real(8), 12.5f);   // numeric strings convert as in Lua
    EXPECT_EQ(args.number(9), 0.0);   // a missing argument reads as 0
    EXPECT_EQ(args.string(8, "x"), "12.5");
    lua_close(L);
}

} // namespace
} // namespace zamp
