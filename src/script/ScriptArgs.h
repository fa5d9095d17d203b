// The arguments of one script function call, read by position with the player's
// conversions, and its results. Hides the Lua stack from the functions' bodies.
//
// Numbers: a number, or a string that reads as one (as Lua's tonumber), converts; a missing
// argument or nil reads as 0; anything else (a word, a table, a boolean, a function) is an
// Error naming the function, the argument and what it should be.
#pragma once

#include <string>

struct lua_State;

namespace zamp {

class ScriptArgs {
public:
    ScriptArgs(lua_State* L, const char* function) : L_(L), function_(function) {}

    // The number at `index` (1-based); `what` names the argument in messages.
    double number(int index, const char* what) const;
    // The number rounded to single precision.
    float real(int index, const char* what) const { return float(number(index, what)); }
    // The number truncated toward zero (saturated at the 32-bit range; NaN gives 0).
    int integer(int index, const char* what) const;
    // The number truncated toward zero with only its low 8 bits kept: 256 -> 0, -1 -> 255.
    unsigned colourByte(int index, const char* what) const;
    // The string at `index` (a number is taken as its text); throws
    // "<function>: argument <n> (<what>) must be a string".
    std::string string(int index, const char* what) const;
    // A string that names a file: also refused when it holds a zero byte, since the file
    // system would read the name only up to it and so open some other file.
    std::string fileName(int index, const char* what) const;

    void pushNumber(double value);
    int pushed() const { return pushed_; }
    const char* function() const { return function_; }

private:
    lua_State* L_;
    const char* function_;
    int pushed_ = 0;
};

} // namespace zamp
