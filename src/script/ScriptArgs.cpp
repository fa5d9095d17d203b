#include "script/ScriptArgs.h"

#include "core/Error.h"

#include <lua.hpp>

#include <cmath>
#include <cstdint>

namespace zamp {

double ScriptArgs::number(int index) const { return lua_tonumber(L_, index); }

int ScriptArgs::integer(int index) const {
    double d = std::trunc(number(index));
    if (std::isnan(d)) return 0;
    if (d <= -2147483648.0) return INT32_MIN;
    if (d >= 2147483647.0) return INT32_MAX;
    return int(d);
}

unsigned ScriptArgs::colourByte(int index) const {
    double d = std::trunc(number(index));
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

void ScriptArgs::pushNumber(double value) {
    lua_pushnumber(L_, value);
    ++pushed_;
}

} // namespace zamp
