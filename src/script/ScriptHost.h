// The Lua state that runs the show script once at start-up, with the script functions
// registered as globals, and the timeline the script builds.
//
// A script function that fails keeps its C++ exception: the call raises a Lua error, every
// later script function call fails at once (so `pcall` cannot swallow the failure), and
// `runFile` rethrows the original exception after the script has returned.
#pragma once

#include "app/FrameClock.h"
#include "layers/LayerList.h"

#include <exception>
#include <memory>
#include <string>

struct lua_State;

namespace zamp {

class DemoApp;
class ScriptArgs;

// A script function: reads its arguments, acts, pushes its results.
using ScriptFunction = void (*)(DemoApp& app, ScriptArgs& args);

struct ScriptFunctionEntry {
    const char* name;
    ScriptFunction function;
};

class ScriptHost {
public:
    ScriptHost();
    ~ScriptHost();

    // Creates the state, opens base, io, os, string and math, registers the functions.
    void open(DemoApp& app);
    // 0 success, 2 the file did not open, other values Lua's error statuses (the message
    // has gone to standard error). Rethrows the first failure of a script function.
    int runFile(const std::string& path);
    // Runs a chunk of Lua source; same results as runFile (used by tests and tools).
    int runString(const std::string& source, const std::string& chunkName = "=script");

    lua_State* state() const { return L; }

    struct LuaClose {
        void operator()(lua_State* L) const;
    };

private:
    int finish(int status);
    static int call(lua_State* L);

    std::unique_ptr<lua_State, LuaClose> L_;
    lua_State* L = nullptr;
    DemoApp* app_ = nullptr;
    std::exception_ptr failure_;

public:
    LayerList layers;
    FrameClock clock;
    float demoTime = 0;
    float endTime = 0;
};

// Every script function, in registration order.
const ScriptFunctionEntry* scriptFunctions(std::size_t& count);

} // namespace zamp
