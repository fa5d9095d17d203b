#include "script/ScriptArgs.h"

#include "core/DisplayText.h"
#include "core/Error.h"

#include <lua.hpp>

#include <cmath>
#include <cstdint>

namespace zamp {

namespace {

// How a value that is no number shows in a message: its type, and a word's own text.
std::string describe(lua_State* L, int index) {
    const int type = lua_type(L, index);
    std::string text = lua_typename(L, type);
    if (type == LUA_TSTRING) {
        std::size_t length = 0;
        const char* s = lua_tolstring(L, index, &length);
        constexpr std::size_t kShown = 40;
        text = "a string (\"" + std::string(s, std::min(length, kShown)) + (length > kShown ? "...\")" : "\")");
    } else if (type == LUA_TBOOLEAN) {
        text = lua_toboolean(L, index) ? "a boolean (true)" : "a boolean (false)";
    } else {
        text = "a " + text;
    }
    return text;
}

} // namespace

double ScriptArgs::number(int index, const char* what) const {
    const int type = lua_type(L_, index);
    if (type == LUA_TNONE || type == LUA_TNIL) return 0; // missing arguments have always read as 0
    if (!lua_isnumber(L_, index))
        throw Error(std::string(function_) + ": argument " + std::to_string(index) + " (" + what +
                    ") must be a number, not " + describe(L_, index));
    return lua_tonumber(L_, index);
}

int ScriptArgs::integer(int index, const char* what) const {
    double d = std::trunc(number(index, what));
    if (std::isnan(d)) return 0;
    if (d <= -2147483648.0) return INT32_MIN;
    if (d >= 2147483647.0) return INT32_MAX;
    return int(d);
}

unsigned ScriptArgs::colourByte(int index, const char* what) const {
    double d = std::trunc(number(index, what));
    if (!std::isfinite(d)) return 0;
    // Wrap like an integer conversion: only the low 8 bits count.
    double wrapped = std::fmod(d, 256.0);
    if (wrapped < 0) wrapped += 256.0;
    return unsigned(wrapped) & 0xFF;
}

std::string ScriptArgs::string(int index, const char* what) const {
    if (lua_type(L_, index) != LUA_TSTRING && lua_type(L_, index) != LUA_TNUMBER)
        throw Error(std::string(function_) + ": argument " + std::to_string(index) + " (" + what + ") must be a string");
    std::size_t length = 0;
    const char* s = lua_tolstring(L_, index, &length);
    return std::string(s, length);
}

std::string ScriptArgs::fileName(int index, const char* what) const {
    std::string name = string(index, what);
    const std::size_t zero = name.find('\0');
    if (zero != std::string::npos)
        throw Error(std::string(function_) + ": argument " + std::to_string(index) + " (" + what + ") \"" +
                    visibleZeros(name) + "\" holds a zero byte, so it names no file");
    return name;
}

void ScriptArgs::pushNumber(double value) {
    lua_pushnumber(L_, value);
    ++pushed_;
}

} // namespace zamp
