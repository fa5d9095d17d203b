#include "LuaTable.h"

#include <cmath>
#include <limits>

namespace zamp::sivtool {

namespace {

// Pops the value pushed by LuaTable::push when the scope ends, however it ends.
struct PopOnExit {
    lua_State* lua;
    ~PopOnExit() { lua_pop(lua, 1); }
};

} // namespace

LuaTable::LuaTable(lua_State* lua, int index, std::string path)
    : lua_(lua), index_(index < 0 ? lua_gettop(lua) + 1 + index : index), path_(std::move(path)) {}

std::string LuaTable::fieldPath(const std::string& key) const {
    if (key.empty()) return path_;
    if (path_.empty()) return key;
    if (!key.empty() && key[0] == '[') return path_ + key;
    return path_ + "." + key;
}

void LuaTable::fail(const std::string& key, const std::string& what) const {
    throw DescriptionError(fieldPath(key) + ": " + what);
}

int LuaTable::push(const char* key) const {
    lua_getfield(lua_, index_, key);
    return lua_type(lua_, -1);
}

bool LuaTable::isNumber(const char* key) const {
    PopOnExit pop{lua_};
    return push(key) == LUA_TNUMBER;
}

bool LuaTable::has(const char* key) const {
    PopOnExit pop{lua_};
    return push(key) != LUA_TNIL;
}

void LuaTable::allowOnly(std::initializer_list<const char*> allowed) const {
    lua_pushnil(lua_);
    while (lua_next(lua_, index_) != 0) {
        lua_pop(lua_, 1); // the value; the key stays for lua_next
        if (lua_type(lua_, -1) != LUA_TSTRING) {
            lua_pop(lua_, 1);
            fail("", "only named fields are allowed here");
        }
        const std::string key = lua_tostring(lua_, -1);
        bool known = false;
        for (const char* name : allowed) known = known || key == name;
        if (!known) {
            lua_pop(lua_, 1);
            std::string list;
            for (const char* name : allowed) list += (list.empty() ? "" : ", ") + std::string(name);
            fail(key, "unknown field (expected one of: " + list + ")");
        }
    }
}

float LuaTable::number(const char* key) const {
    PopOnExit pop{lua_};
    const int type = push(key);
    if (type == LUA_TNIL) fail(key, "missing (a number is needed)");
    if (type != LUA_TNUMBER) fail(key, std::string("expected a number, found ") + lua_typename(lua_, type));
    const double value = lua_tonumber(lua_, -1);
    if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max())
        fail(key, "the number does not fit a 32-bit float");
    return static_cast<float>(value);
}

float LuaTable::number(const char* key, float fallback) const { return has(key) ? number(key) : fallback; }

std::int32_t LuaTable::integer(const char* key) const {
    PopOnExit pop{lua_};
    const int type = push(key);
    if (type == LUA_TNIL) fail(key, "missing (an integer is needed)");
    if (type != LUA_TNUMBER) fail(key, std::string("expected an integer, found ") + lua_typename(lua_, type));
    const double value = lua_tonumber(lua_, -1);
    if (value != std::floor(value) || value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max())
        fail(key, "expected a 32-bit integer");
    return static_cast<std::int32_t>(value);
}

std::int32_t LuaTable::integer(const char* key, std::int32_t fallback) const {
    return has(key) ? integer(key) : fallback;
}

std::string LuaTable::string(const char* key) const {
    PopOnExit pop{lua_};
    const int type = push(key);
    if (type == LUA_TNIL) fail(key, "missing (a string is needed)");
    if (type != LUA_TSTRING) fail(key, std::string("expected a string, found ") + lua_typename(lua_, type));
    std::size_t length = 0;
    const char* text = lua_tolstring(lua_, -1, &length);
    return std::string(text, length);
}

std::string LuaTable::string(const char* key, const std::string& fallback) const {
    return has(key) ? string(key) : fallback;
}

bool LuaTable::boolean(const char* key, bool fallback) const {
    PopOnExit pop{lua_};
    const int type = push(key);
    if (type == LUA_TNIL) return fallback;
    if (type != LUA_TBOOLEAN) fail(key, std::string("expected true or false, found ") + lua_typename(lua_, type));
    return lua_toboolean(lua_, -1) != 0;
}

std::vector<double> LuaTable::numbers() const {
    std::vector<double> out;
    const std::size_t n = lua_objlen(lua_, index_);
    for (std::size_t i = 1; i <= n; ++i) {
        lua_rawgeti(lua_, index_, static_cast<int>(i));
        PopOnExit pop{lua_};
        if (lua_type(lua_, -1) != LUA_TNUMBER) fail("[" + std::to_string(i) + "]", "expected a number");
        out.push_back(lua_tonumber(lua_, -1));
    }
    return out;
}

std::vector<double> LuaTable::numberList(const char* key, std::size_t count) const {
    PopOnExit pop{lua_};
    const int type = push(key);
    const std::string expected = "expected a list of " + std::to_string(count) + " numbers";
    if (type != LUA_TTABLE) fail(key, expected);
    const std::vector<double> values = LuaTable(lua_, -1, fieldPath(key)).numbers();
    if (values.size() != count) fail(key, expected + ", found " + std::to_string(values.size()));
    for (double v : values)
        if (!std::isfinite(v) || std::fabs(v) > std::numeric_limits<float>::max())
            fail(key, "a number does not fit a 32-bit float");
    return values;
}

Vec2 LuaTable::vec2(const char* key, std::optional<Vec2> fallback) const {
    if (fallback && !has(key)) return *fallback;
    const auto v = numberList(key, 2);
    return {float(v[0]), float(v[1])};
}

Vec3 LuaTable::vec3(const char* key, std::optional<Vec3> fallback) const {
    if (fallback && !has(key)) return *fallback;
    const auto v = numberList(key, 3);
    return {float(v[0]), float(v[1]), float(v[2])};
}

Quaternion LuaTable::quaternion(const char* key, std::optional<Quaternion> fallback) const {
    if (fallback && !has(key)) return *fallback;
    const auto v = numberList(key, 4);
    return {float(v[0]), float(v[1]), float(v[2]), float(v[3])};
}

SivRgb LuaTable::rgb(const char* key, std::optional<SivRgb> fallback) const {
    if (fallback && !has(key)) return *fallback;
    const auto v = numberList(key, 3);
    return {float(v[0]), float(v[1]), float(v[2])};
}

std::int32_t LuaTable::choice(const char* key,
                              std::initializer_list<std::pair<const char*, std::int32_t>> names) const {
    std::string list;
    for (const auto& [name, value] : names) list += (list.empty() ? "" : ", ") + std::string(name);
    {
        PopOnExit pop{lua_};
        const int type = push(key);
        if (type == LUA_TNUMBER) return integer(key);
        if (type != LUA_TSTRING) fail(key, "expected a number or one of: " + list);
    }
    const std::string text = string(key);
    for (const auto& [name, value] : names)
        if (text == name) return value;
    fail(key, "unknown value \"" + text + "\" (expected a number or one of: " + list + ")");
}

void LuaTable::forEach(const char* key, const std::function<void(const LuaTable&, std::size_t)>& visit) const {
    PopOnExit pop{lua_};
    const int type = push(key);
    if (type == LUA_TNIL) return;
    if (type != LUA_TTABLE) fail(key, "expected a list of tables");
    const int list = lua_gettop(lua_);
    const std::size_t n = lua_objlen(lua_, list);
    for (std::size_t i = 1; i <= n; ++i) {
        lua_rawgeti(lua_, list, static_cast<int>(i));
        PopOnExit popElement{lua_};
        const std::string elementPath = fieldPath(key) + "[" + std::to_string(i) + "]";
        if (lua_type(lua_, -1) != LUA_TTABLE) throw DescriptionError(elementPath + ": expected a table");
        visit(LuaTable(lua_, -1, elementPath), i - 1);
    }
}

void LuaTable::with(const char* key, const std::function<void(const LuaTable&)>& visit) const {
    PopOnExit pop{lua_};
    const int type = push(key);
    if (type == LUA_TNIL) return;
    if (type != LUA_TTABLE) fail(key, "expected a table");
    visit(LuaTable(lua_, -1, fieldPath(key)));
}

} // namespace zamp::sivtool
