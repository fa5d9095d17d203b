// A show's script runs with the show's rights: files only inside its folder, no commands, no
// environment; --trust gives it Lua's io and os; and no precompiled chunk is ever loaded.
// Every refusal ends the script with its message and the line that made the call.
#include "core/Error.h"
#include "core/RegularFile.h"
#include "platform/Platform.h"
#include "script/ScriptHost.h"
#include "show/Show.h"
#include "support/RecordingDevice.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>

namespace zamp {
namespace {

namespace fs = std::filesystem;

const std::string kHint = "; play it with --trust if you wrote it or trust it";

std::string outsideMessage(const std::string& function, const std::string& name, int line = 1) {
    return function + ": a show may not use files outside its folder (\"" + name + "\")" + kHint + "\n  at script:" +
           std::to_string(line) + " (" + function + ")";
}

std::string precompiledMessage(const std::string& function, int line = 1) {
    return function + ": a precompiled chunk is never run, not even with --trust; use the Lua source instead\n  at script:" +
           std::to_string(line) + " (" + function + ")";
}

// A Lua string literal holding `text`.
std::string quoted(const std::string& text) {
    std::string q = "'";
    for (char c : text) q += c == '\'' || c == '\\' ? std::string("\\") + c : std::string(1, c);
    return q + "'";
}

// The show folder (the working folder while a test runs) and a folder beside it that holds
// the user's own files.
class SandboxTest : public ::testing::Test {
protected:
    SandboxTest() {
        fs::current_path(show.path());
        fs::create_directories(show.path() / "data");
        secret = user.write("secret.txt", "the user's");
    }
    ~SandboxTest() override { fs::current_path(previous); }

    // Runs `source` into a fresh show; the whole text of the failure it ends with (with the
    // line under it), or "(no failure)".
    std::string run(const std::string& source, bool trusted = false) {
        shown = std::make_unique<Show>();
        host = std::make_unique<ScriptHost>(ScriptContext{*shown, device, *files, nullptr, nullptr, ScriptRules{trusted}});
        try {
            host->runString(source);
        } catch (const Error& e) {
            return e.what();
        }
        return "(no failure)";
    }
    // The user's files, each with its content.
    std::map<std::string, std::string> userFiles() const {
        std::map<std::string, std::string> found;
        for (const auto& entry : fs::directory_iterator(user.path()))
            found[entry.path().filename().string()] = test::readText(entry.path());
        return found;
    }

    fs::path previous = fs::current_path();
    test::TempDir user;
    test::TempDir show;
    fs::path secret;
    test::RecordingDevice device;
    std::unique_ptr<ImageFiles> files = openImageFiles();
    std::unique_ptr<Show> shown;
    std::unique_ptr<ScriptHost> host;
};

TEST_F(SandboxTest, FilesInsideTheShowFolderAreReadWrittenRemovedAndRenamedAsInLua) {
    const std::string absolute = (show.path() / "data" / "absolute.txt").string();
    EXPECT_EQ(run("local f = assert(io.open('data/out.txt', 'w')) f:write('one\\ntwo\\n') f:close()\n"
                  "local n = 0 for line in io.lines('data/out.txt') do n = n + 1 end\n"
                  "assert(n == 2)\n"
                  "assert(os.rename('data/out.txt', 'data/moved.txt'))\n"
                  "io.output('data/written.txt') io.write('by io.write') io.close() io.output(io.stdout)\n"
                  "io.input('data/written.txt') assert(io.read('*a') == 'by io.write') io.input(io.stdin)\n"
                  "assert(io.open(" + quoted(absolute) + ", 'w')):close()\n"
                  "local f = io.open('./data/../data/gone.txt', 'w') f:close() assert(os.remove('data/gone.txt'))\n"
                  "assert(io.open('data/nothing.txt') == nil)\n"
                  "starttime(7)"),
              "(no failure)");
    EXPECT_EQ(shown->startTime, 7.0f);
    EXPECT_EQ(test::readText(show.path() / "data" / "moved.txt"), "one\ntwo\n");
    EXPECT_EQ(test::readText(show.path() / "data" / "written.txt"), "by io.write");
    EXPECT_TRUE(fs::exists(absolute));
    EXPECT_FALSE(fs::exists(show.path() / "data" / "gone.txt"));
    EXPECT_FALSE(fs::exists(show.path() / "data" / "out.txt"));
}

TEST_F(SandboxTest, FilesOutsideTheShowFolderAreRefusedAndStayAsTheyWere) {
    const std::string outside = user.path().filename().string();
    const std::string absolute = secret.string();
    const std::string fresh = (user.path() / "new.txt").string();
    fs::create_directory_symlink(user.path(), show.path() / "data" / "linked");
    fs::create_symlink(fresh, show.path() / "data" / "dangling"); // a write would make its target
    fs::create_symlink("../../" + outside + "/secret.txt", show.path() / "data" / "relative");
    user.write("lib.lua", "starttime(99)");
    show.write("data/inside.txt", "the show's");
    const std::pair<std::string, std::string> cases[] = {
        {"io.open(" + quoted(absolute) + ", 'w')", outsideMessage("io.open", absolute)},
        {"io.open(" + quoted(absolute) + ")", outsideMessage("io.open", absolute)},
        {"io.open('../" + outside + "/secret.txt', 'a')", outsideMessage("io.open", "../" + outside + "/secret.txt")},
        {"io.open('data/linked/secret.txt', 'w')", outsideMessage("io.open", "data/linked/secret.txt")},
        {"io.open('data/linked/new.txt', 'w')", outsideMessage("io.open", "data/linked/new.txt")},
        {"io.open('data/dangling', 'w')", outsideMessage("io.open", "data/dangling")},
        {"io.open('data/relative', 'r+')", outsideMessage("io.open", "data/relative")},
        {"io.open('data/missing/../../../" + outside + "/new.txt', 'w')",
         outsideMessage("io.open", "data/missing/../../../" + outside + "/new.txt")},
        {"for l in io.lines(" + quoted(absolute) + ") do end", outsideMessage("io.lines", absolute)},
        {"io.input('../" + outside + "/secret.txt')", outsideMessage("io.input", "../" + outside + "/secret.txt")},
        {"io.output(" + quoted(fresh) + ")", outsideMessage("io.output", fresh)},
        {"os.remove(" + quoted(absolute) + ")", outsideMessage("os.remove", absolute)},
        {"os.remove('data/linked/secret.txt')", outsideMessage("os.remove", "data/linked/secret.txt")},
        {"os.rename('data/inside.txt', " + quoted(fresh) + ")", outsideMessage("os.rename", fresh)},
        {"os.rename(" + quoted(absolute) + ", 'data/taken.txt')", outsideMessage("os.rename", absolute)},
        {"dofile('../" + outside + "/lib.lua')", outsideMessage("dofile", "../" + outside + "/lib.lua")},
        {"loadfile('data/linked/lib.lua')", outsideMessage("loadfile", "data/linked/lib.lua")},
        // Neither pcall nor a coroutine can swallow a refusal: nothing after it runs.
        {"pcall(io.open, " + quoted(fresh) + ", 'w') io.open('data/after.txt', 'w'):close() starttime(5)",
         outsideMessage("io.open", fresh)},
        {"coroutine.resume(coroutine.create(function() io.open(" + quoted(fresh) + ", 'w') end))\n"
         "io.open('data/after.txt', 'w'):close() starttime(5)",
         outsideMessage("io.open", fresh)},
    };
    for (const auto& [source, message] : cases) {
        EXPECT_EQ(run(source), message) << source;
        EXPECT_EQ(shown->startTime, 0.0f) << source;
    }
    EXPECT_EQ(userFiles(), (std::map<std::string, std::string>{{"secret.txt", "the user's"}, {"lib.lua", "starttime(99)"}}));
    EXPECT_EQ(test::readText(show.path() / "data" / "inside.txt"), "the show's");
    EXPECT_FALSE(fs::exists(show.path() / "data" / "taken.txt"));
    EXPECT_FALSE(fs::exists(show.path() / "data" / "after.txt")) << "the script went on after a refusal";
}

TEST_F(SandboxTest, CommandsAreRefusedUnlessTheScriptIsTrusted) {
    for (const char* call : {"os.execute('touch ran')", "io.popen('touch ran')"}) {
        const std::string function = std::string(call).substr(0, std::string(call).find('('));
        EXPECT_EQ(run(std::string(call) + " starttime(3)"),
                  function + ": a show may not run commands" + kHint + "\n  at script:1 (" + function + ")");
        EXPECT_EQ(shown->startTime, 0.0f);
        EXPECT_FALSE(fs::exists(show.path() / "ran")) << call;
    }
    // Trusted, the same script runs its command and goes on; so do the file functions outside
    // the show folder.
    EXPECT_EQ(run("os.execute('touch ran') starttime(3)", true), "(no failure)");
    EXPECT_TRUE(fs::exists(show.path() / "ran"));
    EXPECT_EQ(shown->startTime, 3.0f);
    EXPECT_EQ(run("local f = io.open(" + quoted((user.path() / "from-show.txt").string()) + ", 'w') f:write('x') f:close()", true),
              "(no failure)");
    EXPECT_EQ(test::readText(user.path() / "from-show.txt"), "x");
}

TEST_F(SandboxTest, OfOsAShowKeepsOnlyTheClockAndTheDate) {
    EXPECT_EQ(run("assert(os.time() > 0 and os.clock() >= 0 and os.difftime(2, 1) == 1)\n"
                  "assert(os.date('%Y', 0) == '1970' or os.date('%Y', 0) == '1969')\n"
                  "assert(io.type(io.stdout) == 'file')\n"
                  "assert(require == nil and package == nil and loadlib == nil)"),
              "(no failure)");
    const std::pair<const char*, const char*> refused[] = {
        {"os.getenv('HOME')", "a show may not read the user's environment"},
        {"os.exit(3)", "a show may not end the player"},
        {"os.setlocale('C')", "a show may not change the player's locale"},
        {"os.tmpname()", "a show may not make files outside its folder"},
        {"io.tmpfile()", "a show may not make files outside its folder"},
    };
    for (const auto& [call, why] : refused) {
        const std::string function = std::string(call).substr(0, std::string(call).find('('));
        EXPECT_EQ(run(call), function + ": " + why + kHint + "\n  at script:1 (" + function + ")");
    }
    EXPECT_EQ(run("assert(os.getenv('HOME') ~= nil) assert(require == nil)", true), "(no failure)");
}

TEST_F(SandboxTest, AFileThatCouldHoldThePlayerForEverIsNotOpened) {
    ASSERT_EQ(mkfifo((show.path() / "data" / "pipe").c_str(), 0644), 0);
    EXPECT_EQ(run("io.open('data/pipe')"), "io.open: a show may open only regular files, and \"data/pipe\" is a named pipe" +
                                               kHint + "\n  at script:1 (io.open)");
    // loadfile and dofile open only regular files: a Lua error, as for a missing file.
    testing::internal::CaptureStderr();
    EXPECT_EQ(run("local f, why = loadfile('data/pipe') assert(not f) error(why, 0)"), "(no failure)");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "cannot open data/pipe (it is not a regular file)\n  at script:1\n");
}

TEST_F(SandboxTest, PrecompiledChunksAreNeverLoadedNotEvenTrusted) {
    // A chunk as string.dump makes it, and a forged one: the signature and then anything.
    ASSERT_EQ(run("local f = io.open('data/dumped.luac', 'wb') f:write(string.dump(function() return 1 end)) f:close()"),
              "(no failure)");
    show.write("data/forged.luac", std::string("\x1bLuaQ\x00\x01\x04\x08\x04\x08\x00\xff\xff\xff\x7f", 16) + "junk");
    show.write("data/source.lua", "return 40 + 2");
    for (const bool trusted : {false, true}) {
        SCOPED_TRACE(trusted ? "trusted" : "sandboxed");
        const std::pair<std::string, std::string> cases[] = {
            {"loadstring(string.dump(function() end))", precompiledMessage("loadstring")},
            {"loadstring(io.open('data/forged.luac', 'rb'):read('*a'), 'x')", precompiledMessage("loadstring")},
            {"local pieces = {'\\27', 'LuaQ', ''}\n"
             "local n = 0 load(function() n = n + 1 return pieces[n] end)",
             precompiledMessage("load", 2)},
            {"loadfile('data/forged.luac')", precompiledMessage("loadfile")},
            {"dofile('data/dumped.luac')", precompiledMessage("dofile")},
            {"pcall(dofile, 'data/forged.luac') starttime(5)", precompiledMessage("dofile")},
        };
        for (const auto& [source, message] : cases) {
            EXPECT_EQ(run(source, trusted), message) << source;
            EXPECT_EQ(shown->startTime, 0.0f);
        }
        // Source still loads every way.
        EXPECT_EQ(run("assert(loadstring('return 1')() == 1)\n"
                      "local pieces = {'return ', '2'} local n = 0\n"
                      "assert(load(function() n = n + 1 return pieces[n] end)() == 2)\n"
                      "assert(loadfile('data/source.lua')() == 42 and dofile('data/source.lua') == 42)\n"
                      "starttime(dofile('data/source.lua'))",
                      trusted),
                  "(no failure)");
        EXPECT_EQ(shown->startTime, 42.0f);
        // Nor is the show's script itself run when it is one.
        for (const char* file : {"data/dumped.luac", "data/forged.luac"}) {
            run("");
            try {
                host->runFile(file);
                ADD_FAILURE() << file << " ran";
            } catch (const Error& e) {
                EXPECT_EQ(e.message(), std::string(file) + ": a precompiled chunk is never run, not even with --trust; use the Lua source instead");
            }
        }
    }
}

TEST_F(SandboxTest, TheChunkFilesAScriptLooksForAreKept) {
    show.write("data/lib.lua", "x = 1");
    EXPECT_EQ(run("dofile('data/lib.lua') pcall(dofile, 'data/later.lua') loadfile('data/other.lua')"), "(no failure)");
    EXPECT_EQ(host->chunkFiles(), (std::vector<std::string>{"data/lib.lua", "data/later.lua", "data/other.lua"}));
}

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST_F(SandboxTest, AScriptLargerThanAShowFileMayBeIsRefusedUnread) {
    // A sparse file of 256 MiB: reading it would raise the peak memory by as much.
    const fs::path big = show.path() / "data" / "big.lua";
    std::ofstream(big).put('-');
    fs::resize_file(big, std::uintmax_t{256} << 20);
    const long before = peakKilobytes();
    run("");
    try {
        host->runFile("data/big.lua");
        ADD_FAILURE() << "the script ran";
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), "data/big.lua is 268435456 bytes, more than the 67108864 bytes a script may have");
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(run("local f, why = loadfile('data/big.lua') assert(not f) error(why, 0)"), "(no failure)");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "data/big.lua is 268435456 bytes, more than the 67108864 bytes a script may have\n  at script:1\n");
    EXPECT_LT(peakKilobytes() - before, 32 * 1024) << "the file was read";
    // At the bound itself, a script is read (and these bytes do not compile).
    fs::resize_file(big, kMostWholeShowFileBytes);
    run("");
    try {
        host->runFile("data/big.lua");
        ADD_FAILURE() << "the script ran";
    } catch (const Error& e) {
        EXPECT_EQ(e.message().rfind("data/big.lua:1: ", 0), 0u) << e.message();
    }
}

} // namespace
} // namespace zamp
