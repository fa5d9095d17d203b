// Typed reading of a Lua table for `siv build`, with the field's path in every message
// ("meshes[2].position: expected 3 numbers"). A LuaTable refers to a table on the Lua stack
// and is only valid while that table stays there; nested tables are visited through
// callbacks that keep the stack balanced.
#pragma once

#include "core/Error.h"
#include "core/Values.h"
#include "siv/SivFormat.h"

#include <lua.hpp>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>

namespace zamp::sivtool {

// A fault in a description; the text names the field.
struct DescriptionError : Error {
    using Error::Error;
};

class LuaTable {
public:
    // The table at stack index `index` (made absolute), called `path` in messages.
    LuaTable(lua_State* lua, int index, std::string path);

    const std::string& path() const { return path_; }
    bool has(const char* key) const;
    bool isNumber(const char* key) const;

    // Fails unless every key of the table is one of `allowed` (catches misspelt fields).
    void allowOnly(std::initializer_list<const char*> allowed) const;

    float number(const char* key) const;
    float number(const char* key, float fallback) const;
    // A whole number that fits in 32 bits.
    std::int32_t integer(const char* key) const;
    std::int32_t integer(const char* key, std::int32_t fallback) const;
    std::string string(const char* key) const;
    std::string string(const char* key, const std::string& fallback) const;
    bool boolean(const char* key, bool fallback) const;
    // Lists of 2, 3 or 4 numbers.
    Vec2 vec2(const char* key, std::optional<Vec2> fallback = std::nullopt) const;
    Vec3 vec3(const char* key, std::optional<Vec3> fallback = std::nullopt) const;
    Quaternion quaternion(const char* key, std::optional<Quaternion> fallback = std::nullopt) const;
    SivRgb rgb(const char* key, std::optional<SivRgb> fallback = std::nullopt) const;

    // The field is a number or a name from `names` (name -> value); for enumerations.
    std::int32_t choice(const char* key, std::initializer_list<std::pair<const char*, std::int32_t>> names) const;

    // Calls `visit` with each element 1..n of the list `key` (absent: no calls); every element
    // must be a table. `visit` gets the element and its 0-based position.
    void forEach(const char* key, const std::function<void(const LuaTable&, std::size_t)>& visit) const;
    // The field as a table, when present.
    void with(const char* key, const std::function<void(const LuaTable&)>& visit) const;

    // The elements 1..n of this table (a list), which must all be numbers.
    std::vector<double> numbers() const;

    [[noreturn]] void fail(const std::string& key, const std::string& what) const;

private:
    std::string fieldPath(const std::string& key) const;
    // Pushes the field; returns its Lua type.
    int push(const char* key) const;
    std::vector<double> numberList(const char* key, std::size_t count) const;

    lua_State* lua_;
    int index_;
    std::string path_;
};

} // namespace zamp::sivtool
