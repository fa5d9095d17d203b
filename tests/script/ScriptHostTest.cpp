#include "core/Error.h"
#include "script/ScriptArgs.h"
#include "support/RecordingDevice.h"
#include "support/ScriptedShow.h"
#include "support/TestSupport.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>
#include <lua.hpp>

#include <chrono>
#include <thread>

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

TEST_F(HostFixture, LuaErrorsAreReportedWithWhereTheyPassedAndStartUpGoesOn) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(script.runString("starttime(3)\n"
                               "local function inner() error('boom') end\n"
                               "local function outer() inner() end\n"
                               "outer()\n"),
              ScriptRun::FailedInLua);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "script:2: boom\n  at script:2 (inner)\n  at script:3 (outer)\n  at script:4\n");
    EXPECT_EQ(s.show.startTime, 3.0f);
}

TEST_F(HostFixture, AScriptThatDoesNotCompileIsAnErrorAndRunsNothing) {
    try {
        script.runString("starttime(3)\nendtime(");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "script:2: unexpected symbol near '<eof>'");
    }
    EXPECT_EQ(s.show.startTime, 0.0f);
}

TEST_F(HostFixture, AFailingFunctionSaysWhereTheScriptCalledIt) {
    // Raised in a nested function and through pcall: the line is the call's own.
    for (auto [source, where] : {std::pair{"\n\nrandom(0)", "  at script:3 (random)"},
                                 {"local function f()\n  layer(2, 'x', 0, 1, 1)\nend\nf()", "  at script:2 (layer)"},
                                 {"local ok = pcall(random, 0)", "  at script:1 (random)"}}) {
        test::ScriptedShow fresh(device);
        try {
            fresh.run(source);
            ADD_FAILURE() << "no error: " << source;
        } catch (const Error& e) {
            const std::string text = e.what();
            EXPECT_EQ(text.substr(text.find('\n') + 1), where) << source;
            EXPECT_EQ(text.substr(0, text.find('\n')), e.message());
        }
    }
}

TEST_F(HostFixture, NothingOfTheScriptRunsAfterAFailureEvenInsidePcall) {
    test::TempDir dir;
    const std::string file = (dir.path() / "written.txt").string();
    // pcall catches the error, but every instruction after it raises one too: the file is
    // never written and the endless loop never runs.
    EXPECT_EQ(failure("local ok = pcall(random, 0)\n"
                      "local f = io.open('" + file + "', 'w') f:write('ran') f:close()\n"
                      "while true do end"),
              "random: n must not be 0");
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(failure("pcall(function() pcall(random, 0) while true do end end) while true do end"),
              "random: n must not be 0");
    // coroutine.resume returns a coroutine's error as pcall does: the resuming code stops too.
    EXPECT_EQ(failure("coroutine.resume(coroutine.create(function() random(0) end)) while true do end"),
              "random: n must not be 0");
}

TEST(ScriptStop, AStopRequestEndsAScriptThatNeverEnds) {
    test::RecordingDevice device;
    Show show;
    auto files = openImageFiles();
    std::atomic<bool> stop{false};
    ScriptHost script(ScriptContext{show, device, *files, &stop});
    std::thread stopper([&stop] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        stop = true;
    });
    try {
        script.runString("starttime(4) local n = 0 while true do n = n + 1 pcall(function() end) end");
        ADD_FAILURE() << "the script ended by itself";
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), "The script was stopped.");
    }
    stopper.join();
    EXPECT_EQ(show.startTime, 4.0f) << "what ran before stays";
}

TEST(ScriptStop, AScriptPastItsTimeIsStoppedWhereItIs) {
    test::RecordingDevice device;
    Show show;
    auto files = openImageFiles();
    ScriptHost script(ScriptContext{show, device, *files, nullptr, nullptr, ScriptRules{false, 0.2}});
    const auto began = std::chrono::steady_clock::now();
    try {
        script.runString("starttime(4)\nlocal function spin()\n  while true do pcall(function() end) end\nend\nspin()");
        ADD_FAILURE() << "the script ended by itself";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "The script was stopped: it ran for more than 0.2 s, the most the author's mode allows.\n"
                               "  at script:3");
    }
    EXPECT_GE(std::chrono::steady_clock::now() - began, std::chrono::milliseconds(200)) << "not before its time";
    EXPECT_EQ(show.startTime, 4.0f) << "what ran before stays";
}

TEST_F(HostFixture, RunFileTellsAMissingFileFromOneThatRan) {
    test::TempDir dir;
    EXPECT_EQ(script.runFile((dir.path() / "nothing.lua").string()), ScriptRun::FileMissing);
    auto file = dir.write("s.lua", "endtime(7)");
    EXPECT_EQ(script.runFile(file.string()), ScriptRun::Finished);
    EXPECT_EQ(s.show.endTime, 7.0f);
}

TEST_F(HostFixture, MissingStringArgumentsAreNamed) {
    EXPECT_EQ(failure("loadmusic()"), "loadmusic: argument 1 (file path) must be a string");
    EXPECT_EQ(failure("loadmusic({})"), "loadmusic: argument 1 (file path) must be a string");
}

TEST(ScriptArguments, ValuesThatAreNoNumberAreNamedAndNumericStringsStayAccepted) {
    struct Case {
        const char* call;
        const char* failure;
    } cases[] = {
        {"setimagepos(0, 'abc', 1, n)", "setimagepos: argument 2 (x) must be a number, not a string (\"abc\")"},
        {"setimagerot({}, 5, n)", "setimagerot: argument 1 (time) must be a number, not a table"},
        {"setimagecolor(0, 255, true, 0, 255, n)", "setimagecolor: argument 3 (green) must be a number, not a boolean (true)"},
        {"start(0, 'first')", "start: argument 2 (layer number) must be a number, not a string (\"first\")"},
        {"setfogcolor(print, 0, 0)", "setfogcolor: argument 1 (red) must be a number, not a function"},
        {"createtexture('64', 64, 'rt2') random(' 6 ') setimagepos('1.5', '0x10', 3, n) layer(2, 'img')", "(no failure)"},
    };
    for (const Case& c : cases) {
        test::RecordingDevice device;
        test::ScriptedShow s(device);
        ASSERT_EQ(s.run("createtexture(0, 0, 'img') n = layer(2, 'img', 0, 1, 1) start(0, n)"), ScriptRun::Finished);
        EXPECT_EQ(s.failure(c.call), c.failure) << c.call;
    }
}

TEST(ScriptArgs, ConvertsNumbersLikeTheOriginalHost) {
    lua_State* L = luaL_newstate();
    for (double v : {1.7, -1.7, 256.0, 300.0, -1.0, 1e12, 0.0 / 0.0}) lua_pushnumber(L, v);
    lua_pushstring(L, "12.5");
    ScriptArgs args(L, "f");
    EXPECT_EQ(args.integer(1, "a"), 1);
    EXPECT_EQ(args.integer(2, "a"), -1);
    EXPECT_EQ(args.colourByte(3, "a"), 0u);
    EXPECT_EQ(args.colourByte(4, "a"), 44u);
    EXPECT_EQ(args.colourByte(5, "a"), 255u);
    EXPECT_EQ(args.integer(6, "a"), INT32_MAX);
    EXPECT_EQ(args.integer(7, "a"), 0);
    EXPECT_EQ(args.real(8, "a"), 12.5f);   // numeric strings convert as in Lua
    EXPECT_EQ(args.number(9, "a"), 0.0);   // a missing argument reads as 0
    EXPECT_EQ(args.string(8, "x"), "12.5");
    lua_close(L);
}

} // namespace
} // namespace zamp
