// The Lua state that runs the show script, with the script functions registered as globals.
// What the script builds goes into the context's show.
//
// A script function that fails keeps its C++ exception: the call raises a Lua error, and from
// then on every instruction of the script raises one too, so that nothing more of it runs
// (neither `pcall` nor `coroutine.resume` can swallow the failure); `runFile` rethrows the
// original exception after the script has returned. A stop request (ScriptContext::stop) ends
// the script the same way, with the Error "The script was stopped.", and so does running
// longer than ScriptRules::mostSeconds ("The script was stopped: it ran for more than 5 s, the
// most the author's mode allows.", with the line it was running under it).
//
// What the script may do with Lua's own libraries is ScriptSandbox's (ScriptSandbox.h); a
// refused call ends the script as a failing script function does.
#pragma once

#include "script/ScriptContext.h"
#include "script/ScriptRun.h"
#include "script/ScriptSandbox.h"

#include <chrono>
#include <exception>
#include <memory>
#include <string>
#include <vector>

struct lua_State;

namespace zamp {

class ScriptArgs;

// A script function: reads its arguments, acts, pushes its results.
using ScriptFunction = void (*)(ScriptContext& context, ScriptArgs& args);

struct ScriptFunctionEntry {
    const char* name;
    ScriptFunction function;
};

class ScriptHost {
public:
    // Creates the state, opens base, io, os, string and math (io and os guarded unless the
    // rules trust the script), registers the functions. The context's objects must outlive
    // the host; the show folder is the working folder.
    explicit ScriptHost(const ScriptContext& context);
    ~ScriptHost();
    ScriptHost(const ScriptHost&) = delete;
    ScriptHost& operator=(const ScriptHost&) = delete;
    // Throws an Error with Lua's message when the script does not compile, is a precompiled
    // chunk or is larger than kMostWholeShowFileBytes ("data/script.lua is N bytes, more than
    // the 67108864 bytes a script may have"), and rethrows the first failure of a script
    // function with a line under it that says where the script called it:
    // "  at data/script.lua:12 (layer)".
    ScriptRun runFile(const std::string& path);
    // Runs a chunk of Lua source; same results as runFile (used by tests and tools).
    ScriptRun runString(const std::string& source, const std::string& chunkName = "=script");

    lua_State* state() const { return L; }

    // For the state's hook: true (and the script's failure recorded) once a stop is requested
    // or the script's time is up.
    static bool stopRequested(lua_State* L) noexcept;

    // For the guarded library functions (ScriptSandbox.cpp): keeps an Error with `message`
    // as the script's failure, with the line that called `function` under it, unless a
    // failure is kept already. Never throws.
    void keepFailure(lua_State* L, const char* function, const std::string& message) noexcept;
    // Ends the script once a failure is kept: raises the Lua error that no pcall goes on
    // from. Call it only from a frame that holds no C++ objects.
    static int raiseFailure(lua_State* L);

    ScriptSandbox& sandbox() { return sandbox_; }
    // The chunk files the script's dofile and loadfile looked for, found or not.
    const std::vector<std::string>& chunkFiles() const { return sandbox_.chunkFiles(); }

    struct LuaClose {
        void operator()(lua_State* L) const;
    };

private:
    ScriptRun run(int loadStatus);
    ScriptRun runSource(const std::string& source, const std::string& chunkName, const std::string& shownName);
    ScriptRun finish(int status);
    static int call(lua_State* L);
    bool stopNow(lua_State* L) noexcept;

    ScriptContext context_;
    ScriptSandbox sandbox_;
    std::chrono::steady_clock::time_point deadline_{};
    std::unique_ptr<lua_State, LuaClose> L_;
    lua_State* L = nullptr;
    std::exception_ptr failure_;
};

// Every script function, in registration order.
const ScriptFunctionEntry* scriptFunctions(std::size_t& count);

} // namespace zamp
