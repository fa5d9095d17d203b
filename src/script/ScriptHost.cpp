#include "script/ScriptHost.h"

#include "core/Error.h"
#include "core/RegularFile.h"
#include "script/ScriptArgs.h"

#include <lua.hpp>

#include <algorithm>
#include <cstdio>
#include <iostream>

namespace zamp {

void ScriptHost::LuaClose::operator()(lua_State* L) const { lua_close(L); }

namespace {

#if defined(__EMSCRIPTEN__)
// The web page plays every show as a stranger's: it has no way to trust a script.
constexpr bool kTrustPossible = false;
#else
constexpr bool kTrustPossible = true;
#endif

// The registry key under which the state keeps its host.
const char kHostKey = 0;

} // namespace

ScriptHost::ScriptHost(const ScriptContext& context)
    : context_(context), sandbox_(context.rules.trusted && kTrustPossible) {
    L_.reset(luaL_newstate());
    L = L_.get();
    if (!L) throw Error("The script interpreter cannot start: out of memory.");

    // Only these libraries: scripts get the basic functions, io and os, string and math.
    const luaL_Reg libraries[] = {{"", luaopen_base},
                                  {LUA_IOLIBNAME, luaopen_io},
                                  {LUA_OSLIBNAME, luaopen_os},
                                  {LUA_STRLIBNAME, luaopen_string},
                                  {LUA_MATHLIBNAME, luaopen_math}};
    for (const luaL_Reg& library : libraries) {
        lua_pushcfunction(L, library.func);
        lua_pushstring(L, library.name);
        lua_call(L, 1, 0);
    }
    sandbox_.install(L, *this);

    std::size_t count = 0;
    const ScriptFunctionEntry* functions = scriptFunctions(count);
    for (std::size_t i = 0; i < count; ++i) {
        lua_pushstring(L, functions[i].name);
        lua_pushlightuserdata(L, this);
        lua_pushlightuserdata(L, const_cast<ScriptFunctionEntry*>(&functions[i]));
        lua_pushcclosure(L, &ScriptHost::call, 2);
        lua_settable(L, LUA_GLOBALSINDEX);
    }

    lua_pushlightuserdata(L, const_cast<char*>(&kHostKey));
    lua_pushlightuserdata(L, this);
    lua_rawset(L, LUA_REGISTRYINDEX);
}

ScriptHost::~ScriptHost() = default;


namespace {

constexpr int kMostTracebackLines = 12;
// How often a running script looks for a stop request, in instructions: often enough to stop
// a loop at once, rarely enough to cost nothing measurable.
constexpr int kStopCheckInstructions = 10000;
constexpr const char* kFailedText = "a script function failed; the show stops";

// After a failure: every instruction raises an error, so the script unwinds to the host
// whatever pcall it passes through. Only Lua's own error is raised here: no C++ objects.
void refuseEverything(lua_State* L, lua_Debug*) {
    lua_pushstring(L, kFailedText);
    lua_error(L);
}

void checkStop(lua_State* L, lua_Debug*) {
    if (ScriptHost::stopRequested(L)) ScriptHost::raiseFailure(L);
}

// The host that runs the script of `L`, from the registry; null before it is registered.
ScriptHost* registeredHost(lua_State* L) {
    lua_pushlightuserdata(L, const_cast<char*>(&kHostKey));
    lua_rawget(L, LUA_REGISTRYINDEX);
    auto* host = static_cast<ScriptHost*>(lua_touserdata(L, -1));
    lua_pop(L, 1);
    return host;
}

// "file:line" of stack level `level`, when that level runs script code.
bool scriptPlace(lua_State* L, int level, lua_Debug& ar) {
    if (!lua_getstack(L, level, &ar)) return false;
    lua_getinfo(L, "Sln", &ar);
    return ar.currentline > 0;
}

// Where the script called the running C function: the nearest level that runs script code
// (a call through pcall has pcall itself in between).
std::string callerLocation(lua_State* L, const char* function) {
    lua_Debug ar;
    for (int level = 1; lua_getstack(L, level, &ar); ++level) {
        if (scriptPlace(L, level, ar))
            return std::string("  at ") + ar.short_src + ":" + std::to_string(ar.currentline) + " (" + function + ")";
    }
    return {};
}

// The message handler of the script's run: a run-time error of the script's own code gets
// the places the error passed through, innermost first. Written with Lua's own buffer only:
// a Lua error raised here must not pass over C++ objects.
int addTraceback(lua_State* L) {
    if (!lua_isstring(L, 1)) return 1; // an error object that is no text stays as it is
    luaL_Buffer b;
    luaL_buffinit(L, &b);
    lua_pushvalue(L, 1);
    luaL_addvalue(&b);
    lua_Debug ar;
    int lines = 0;
    for (int level = 1; lua_getstack(L, level, &ar) && lines < kMostTracebackLines; ++level) {
        if (!scriptPlace(L, level, ar)) continue;
        lua_pushfstring(L, "\n  at %s:%d", ar.short_src, ar.currentline);
        luaL_addvalue(&b);
        if (ar.name) {
            lua_pushfstring(L, " (%s)", ar.name);
            luaL_addvalue(&b);
        }
        ++lines;
    }
    luaL_pushresult(&b);
    return 1;
}

} // namespace

bool ScriptHost::stopRequested(lua_State* L) noexcept {
    ScriptHost* host = registeredHost(L);
    return host && host->stopNow(L);
}

bool ScriptHost::stopNow(lua_State* L) noexcept {
    const bool requested = context_.stop && context_.stop->load();
    const bool timeUp = context_.rules.mostSeconds > 0 && std::chrono::steady_clock::now() > deadline_;
    if (!requested && !timeUp) return false;
    if (!failure_) {
        try {
            if (requested) {
                failure_ = std::make_exception_ptr(Error("The script was stopped."));
            } else {
                char seconds[32];
                std::snprintf(seconds, sizeof seconds, "%g", context_.rules.mostSeconds);
                Error error(std::string("The script was stopped: it ran for more than ") + seconds +
                            " s, the most the author's mode allows.");
                // Where it was: the innermost level that runs script code.
                lua_Debug ar;
                for (int level = 0; lua_getstack(L, level, &ar); ++level) {
                    if (!scriptPlace(L, level, ar)) continue;
                    error = error.withContext(std::string("  at ") + ar.short_src + ":" + std::to_string(ar.currentline));
                    break;
                }
                failure_ = std::make_exception_ptr(error);
            }
        } catch (...) {
            failure_ = std::current_exception();
        }
    }
    return true;
}

void ScriptHost::keepFailure(lua_State* L, const char* function, const std::string& message) noexcept {
    if (failure_) return;
    try {
        failure_ = std::make_exception_ptr(Error(message).withContext(callerLocation(L, function)));
    } catch (...) {
        failure_ = std::current_exception();
    }
}

int ScriptHost::raiseFailure(lua_State* L) {
    // The thread that failed, and the script's main thread too: coroutine.resume returns
    // a coroutine's error as pcall does, and the code that resumed it must not go on either.
    lua_sethook(L, refuseEverything, LUA_MASKCOUNT, 1);
    if (ScriptHost* host = registeredHost(L)) lua_sethook(host->L, refuseEverything, LUA_MASKCOUNT, 1);
    lua_pushstring(L, kFailedText);
    return lua_error(L);
}

// The bridge between Lua and a script function. A C++ exception must not unwind through
// Lua's C frames: it is caught here and kept, and the Lua error is raised from a frame that
// holds no C++ objects.
int ScriptHost::call(lua_State* L) {
    auto* host = static_cast<ScriptHost*>(lua_touserdata(L, lua_upvalueindex(1)));
    auto* entry = static_cast<const ScriptFunctionEntry*>(lua_touserdata(L, lua_upvalueindex(2)));
    int results = -1;
    if (!host->failure_) {
        try {
            ScriptArgs args(L, entry->name);
            entry->function(host->context_, args);
            results = args.pushed();
        } catch (const Error& e) {
            host->failure_ = std::make_exception_ptr(e.withContext(callerLocation(L, entry->name)));
        } catch (const std::bad_alloc&) {
            host->failure_ = std::make_exception_ptr(
                Error(std::string(entry->name) + ": out of memory").withContext(callerLocation(L, entry->name)));
        } catch (const std::exception& e) {
            host->failure_ = std::make_exception_ptr(Error(e.what()).withContext(callerLocation(L, entry->name)));
        } catch (...) {
            host->failure_ = std::current_exception();
        }
    }
    if (results >= 0) return results;
    return raiseFailure(L);
}

ScriptRun ScriptHost::finish(int status) {
    if (failure_) {
        std::exception_ptr failure = failure_;
        std::rethrow_exception(failure);
    }
    if (status == 0) return ScriptRun::Finished;
    // The script's own errors are reported and start-up goes on.
    const char* message = lua_tostring(L, -1);
    std::cerr << (message ? message : "(error object is not a string)") << '\n';
    lua_pop(L, 1);
    return ScriptRun::FailedInLua;
}

ScriptRun ScriptHost::run(int loadStatus) {
    if (loadStatus != 0) {
        // Nothing of a script that does not compile has run: there is no show.
        const char* message = lua_tostring(L, -1);
        std::string text = message ? message : "the script cannot be loaded";
        lua_pop(L, 1);
        throw Error(text);
    }
    if (context_.rules.mostSeconds > 0)
        deadline_ = std::chrono::steady_clock::now() +
                    std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                        std::chrono::duration<double>(context_.rules.mostSeconds));
    if (context_.stop || context_.rules.mostSeconds > 0) lua_sethook(L, checkStop, LUA_MASKCOUNT, kStopCheckInstructions);
    lua_pushcfunction(L, addTraceback);
    lua_insert(L, -2);
    const int handler = lua_gettop(L) - 1;
    const int status = lua_pcall(L, 0, 0, handler);
    lua_remove(L, handler);
    return finish(status);
}

ScriptRun ScriptHost::runFile(const std::string& path) {
    // Only a regular file (Lua's own loader would wait for ever on a named pipe), and one of a
    // size a script can have, refused before it is read.
    ChunkFile file = readChunkFile(path.c_str());
    if (file.tooLarge) throw Error(file.problemText(path));
    if (!file.ok()) return ScriptRun::FileMissing;
    return runSource(file.text, "@" + path, path);
}

ScriptRun ScriptHost::runString(const std::string& source, const std::string& chunkName) {
    return runSource(source, chunkName, chunkName.empty() ? chunkName : chunkName.substr(1));
}

ScriptRun ScriptHost::runSource(const std::string& source, const std::string& chunkName, const std::string& shownName) {
    if (isPrecompiledChunk(source)) throw Error(precompiledChunkMessage(shownName));
    return run(luaL_loadbuffer(L, source.data(), source.size(), chunkName.c_str()));
}

} // namespace zamp
