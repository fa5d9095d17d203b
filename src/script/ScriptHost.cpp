#include "script/ScriptHost.h"

#include "core/Error.h"
#include "script/ScriptArgs.h"

#include <lua.hpp>

#include <iostream>

namespace zamp {

void ScriptHost::LuaClose::operator()(lua_State* L) const { lua_close(L); }

ScriptHost::ScriptHost(const ScriptContext& context) : context_(context) {
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

    std::size_t count = 0;
    const ScriptFunctionEntry* functions = scriptFunctions(count);
    for (std::size_t i = 0; i < count; ++i) {
        lua_pushstring(L, functions[i].name);
        lua_pushlightuserdata(L, this);
        lua_pushlightuserdata(L, const_cast<ScriptFunctionEntry*>(&functions[i]));
        lua_pushcclosure(L, &ScriptHost::call, 2);
        lua_settable(L, LUA_GLOBALSINDEX);
    }
}

ScriptHost::~ScriptHost() = default;

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
        } catch (...) {
            host->failure_ = std::current_exception();
        }
    }
    if (results >= 0) return results;
    lua_pushstring(L, "a script function failed; the show stops");
    return lua_error(L);
}

int ScriptHost::finish(int status) {
    if (failure_) {
        std::exception_ptr failure = failure_;
        std::rethrow_exception(failure);
    }
    if (status == 0) return 0;
    // The script's own errors are reported and start-up goes on.
    const char* message = lua_tostring(L, -1);
    std::cerr << (message ? message : "(error object is not a string)") << '\n';
    lua_pop(L, 1);
    // The numbers of the original interpreter: 1 run time, 3 syntax, 4 memory, 5 handler.
    return status == LUA_ERRRUN ? 1 : status;
}

int ScriptHost::runFile(const std::string& path) {
    int status = luaL_loadfile(L, path.c_str());
    if (status == LUA_ERRFILE) {
        lua_pop(L, 1);
        return 2;
    }
    if (status == 0) status = lua_pcall(L, 0, 0, 0);
    return finish(status);
}

int ScriptHost::runString(const std::string& source, const std::string& chunkName) {
    int status = luaL_loadbuffer(L, source.data(), source.size(), chunkName.c_str());
    if (status == 0) status = lua_pcall(L, 0, 0, 0);
    return finish(status);
}

} // namespace zamp
