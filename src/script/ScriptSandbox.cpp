#include "script/ScriptSandbox.h"

#include "script/ScriptHost.h"

#include <lua.hpp>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace zamp {

namespace fs = std::filesystem;

namespace {

constexpr const char* kTrustHint = "; play it with --trust if you wrote it or trust it";
constexpr const char* kCommands = "a show may not run commands";
constexpr const char* kFilesElsewhere = "a show may not make files outside its folder";
// As many symbolic links as the system follows for one name.
constexpr int kMostLinks = 40;

// A function of io or os that the sandbox guards: refused whatever its arguments (`refusal`
// says why), or refused for file names that lead outside the show folder (arguments
// `firstName` to `lastName`; `nameRequired`: Lua's function wants a string there, otherwise
// a file handle or nothing may stand there instead). A function that `opens` the file is
// also refused a named pipe, a device or a socket, which could hold the player for ever.
struct GuardedFunction {
    const char* library;
    const char* name;
    const char* qualified;
    const char* refusal;
    int firstName;
    int lastName;
    bool nameRequired;
    bool opens;
};

const GuardedFunction kGuarded[] = {
    {LUA_IOLIBNAME, "open", "io.open", nullptr, 1, 1, true, true},
    {LUA_IOLIBNAME, "lines", "io.lines", nullptr, 1, 1, false, true},
    {LUA_IOLIBNAME, "input", "io.input", nullptr, 1, 1, false, true},
    {LUA_IOLIBNAME, "output", "io.output", nullptr, 1, 1, false, true},
    {LUA_IOLIBNAME, "popen", "io.popen", kCommands, 0, 0, false, false},
    {LUA_IOLIBNAME, "tmpfile", "io.tmpfile", kFilesElsewhere, 0, 0, false, false},
    {LUA_OSLIBNAME, "execute", "os.execute", kCommands, 0, 0, false, false},
    {LUA_OSLIBNAME, "exit", "os.exit", "a show may not end the player", 0, 0, false, false},
    {LUA_OSLIBNAME, "getenv", "os.getenv", "a show may not read the user's environment", 0, 0, false, false},
    {LUA_OSLIBNAME, "remove", "os.remove", nullptr, 1, 1, true, false},
    {LUA_OSLIBNAME, "rename", "os.rename", nullptr, 1, 2, true, false},
    {LUA_OSLIBNAME, "setlocale", "os.setlocale", "a show may not change the player's locale", 0, 0, false, false},
    {LUA_OSLIBNAME, "tmpname", "os.tmpname", kFilesElsewhere, 0, 0, false, false},
};

// The functions of io and os a sandboxed script keeps as Lua has them; any other function
// there (one a later Lua might add) is taken away.
const char* const kKept[] = {"close", "flush", "read", "type", "write", "clock", "date", "difftime", "time"};

bool isGuardedOrKept(const char* library, const char* name) {
    for (const GuardedFunction& g : kGuarded)
        if (std::strcmp(g.library, library) == 0 && std::strcmp(g.name, name) == 0) return true;
    return std::any_of(std::begin(kKept), std::end(kKept), [name](const char* kept) { return std::strcmp(kept, name) == 0; });
}

ScriptHost& hostOf(lua_State* L) { return *static_cast<ScriptHost*>(lua_touserdata(L, lua_upvalueindex(1))); }

// Ends the script with the sandbox's message as its failure. The frame that calls it holds no
// C++ objects.
int refuse(lua_State* L, ScriptHost& host, const char* function) {
    host.keepFailure(L, function, host.sandbox().message());
    return ScriptHost::raiseFailure(L);
}

// A guarded io or os function: upvalues host, entry, Lua's own function. Lua's function runs
// in this frame, with this closure's environment set to its own (io keeps its default files
// there), so that its messages name the function as the script called it.
int guardedCall(lua_State* L) {
    ScriptHost& host = hostOf(L);
    const auto& g = *static_cast<const GuardedFunction*>(lua_touserdata(L, lua_upvalueindex(2)));
    if (g.refusal) {
        host.sandbox().explainRefusal(g.qualified, g.refusal);
        return refuse(L, host, g.qualified);
    }
    for (int i = g.firstName; i >= 1 && i <= g.lastName; ++i) {
        const int type = lua_type(L, i);
        const char* name = g.nameRequired ? luaL_checkstring(L, i)
                           : type == LUA_TSTRING || type == LUA_TNUMBER ? lua_tostring(L, i)
                                                                        : nullptr;
        if (name && host.sandbox().refusesName(g.qualified, name, g.opens)) return refuse(L, host, g.qualified);
    }
    return lua_tocfunction(L, lua_upvalueindex(3))(L);
}

// Lua's load_aux: the function, or nil and the message.
int loadResult(lua_State* L, int status) {
    if (status == 0) return 1;
    lua_pushnil(L);
    lua_insert(L, -2);
    return 2;
}

int guardedLoadstring(lua_State* L) {
    ScriptHost& host = hostOf(L);
    std::size_t size = 0;
    const char* text = luaL_checklstring(L, 1, &size);
    const char* chunkName = luaL_optstring(L, 2, text);
    if (host.sandbox().refusesPrecompiled("loadstring", std::string_view(text, size))) return refuse(L, host, "loadstring");
    return loadResult(L, luaL_loadbuffer(L, text, size, chunkName));
}

// load(f): the pieces f gives are handed to Lua's loader as they come; a first piece that
// begins a precompiled chunk ends the stream there and is refused once the loader returns.
struct PieceReader {
    bool started = false;
    bool precompiled = false;
};

const char* readPiece(lua_State* L, void* data, std::size_t* size) {
    auto& reader = *static_cast<PieceReader*>(data);
    luaL_checkstack(L, 2, "too many nested functions");
    lua_pushvalue(L, 1);
    lua_call(L, 0, 1);
    if (lua_isnil(L, -1)) {
        *size = 0;
        return nullptr;
    }
    if (!lua_isstring(L, -1)) luaL_error(L, "reader function must return a string");
    lua_replace(L, 3); // kept in a slot of its own while the loader reads it
    const char* piece = lua_tolstring(L, 3, size);
    if (!reader.started && *size > 0) {
        reader.started = true;
        if (piece[0] == LUA_SIGNATURE[0]) {
            reader.precompiled = true;
            *size = 0;
            return nullptr;
        }
    }
    return piece;
}

int guardedLoad(lua_State* L) {
    ScriptHost& host = hostOf(L);
    luaL_checktype(L, 1, LUA_TFUNCTION);
    const char* chunkName = luaL_optstring(L, 2, "=(load)");
    lua_settop(L, 3);
    PieceReader reader;
    const int status = lua_load(L, readPiece, &reader, chunkName);
    if (reader.precompiled) {
        host.sandbox().explainPrecompiled("load");
        return refuse(L, host, "load");
    }
    return loadResult(L, status);
}

// Loads the chunk file named at argument 1 (standard input when there is none) for loadfile
// and dofile; returns Lua's status with the function or the message on the stack.
int loadChunkFile(lua_State* L, ScriptHost& host, const char* function, bool& refused) {
    refused = false;
    const char* name = luaL_optstring(L, 1, nullptr);
    ScriptSandbox& sandbox = host.sandbox();
    if (name && sandbox.refusesName(function, name, false)) {
        refused = true;
        return 0;
    }
    if (!sandbox.readChunk(name)) {
        lua_pushstring(L, sandbox.message().c_str());
        return LUA_ERRFILE;
    }
    if (sandbox.refusesPrecompiled(function, sandbox.chunk())) {
        sandbox.releaseChunk();
        refused = true;
        return 0;
    }
    if (name) {
        lua_pushfstring(L, "@%s", name);
    } else {
        lua_pushliteral(L, "=stdin");
    }
    const int status = luaL_loadbuffer(L, sandbox.chunk().data(), sandbox.chunk().size(), lua_tostring(L, -1));
    sandbox.releaseChunk();
    lua_remove(L, -2); // the chunk's name
    return status;
}

int guardedLoadfile(lua_State* L) {
    ScriptHost& host = hostOf(L);
    bool refused = false;
    const int status = loadChunkFile(L, host, "loadfile", refused);
    if (refused) return refuse(L, host, "loadfile");
    return loadResult(L, status);
}

int guardedDofile(lua_State* L) {
    ScriptHost& host = hostOf(L);
    const int before = lua_gettop(L);
    bool refused = false;
    const int status = loadChunkFile(L, host, "dofile", refused);
    if (refused) return refuse(L, host, "dofile");
    if (status != 0) return lua_error(L);
    lua_call(L, 0, LUA_MULTRET);
    return lua_gettop(L) - before;
}

// Sets `function` with upvalue host as the global `name`.
void setGlobal(lua_State* L, ScriptHost& host, const char* name, lua_CFunction function) {
    lua_pushlightuserdata(L, &host);
    lua_pushcclosure(L, function, 1);
    lua_setglobal(L, name);
}

void guardLibraries(lua_State* L, ScriptHost& host) {
    for (const GuardedFunction& g : kGuarded) {
        lua_getglobal(L, g.library);
        const int library = lua_gettop(L);
        lua_getfield(L, library, g.name);
        const int original = lua_gettop(L);
        if (lua_iscfunction(L, original)) {
            lua_pushlightuserdata(L, &host);
            lua_pushlightuserdata(L, const_cast<GuardedFunction*>(&g));
            lua_pushvalue(L, original);
            lua_pushcclosure(L, guardedCall, 3);
            lua_getfenv(L, original);
            lua_setfenv(L, -2);
            lua_setfield(L, library, g.name);
        }
        lua_settop(L, library - 1);
    }
    for (const char* name : {LUA_IOLIBNAME, LUA_OSLIBNAME}) {
        lua_getglobal(L, name);
        const int library = lua_gettop(L);
        lua_pushnil(L);
        while (lua_next(L, library)) {
            // Clearing a field while the table is walked is allowed.
            if (lua_type(L, -2) == LUA_TSTRING && lua_isfunction(L, -1) && !isGuardedOrKept(name, lua_tostring(L, -2))) {
                lua_pushvalue(L, -2);
                lua_pushnil(L);
                lua_rawset(L, library);
            }
            lua_pop(L, 1);
        }
        lua_settop(L, library - 1);
    }
}

bool within(const fs::path& folder, const fs::path& path) {
    return std::mismatch(folder.begin(), folder.end(), path.begin(), path.end()).first == folder.end();
}

// A named pipe, a device or a socket: opening or reading it may wait for ever.
bool blocksOrNeverEnds(const char* name) {
    std::error_code ec;
    const fs::file_status status = fs::status(name, ec);
    return fs::is_fifo(status) || fs::is_character_file(status) || fs::is_block_file(status) || fs::is_socket(status);
}

std::string byteCount(std::uint64_t bytes) { return std::to_string(bytes) + " bytes"; }

} // namespace

std::string ChunkFile::problemText(const std::string& name) const {
    if (tooLarge)
        return name + " is " + byteCount(size) + ", more than the " + byteCount(kMostWholeShowFileBytes) +
               " a script may have";
    return "cannot open " + name + " (it " + describeFileProblem(problem) + ")";
}

ChunkFile readChunkFile(const char* path) {
    ChunkFile chunk;
    OpenedFile opened;
    std::FILE* file = stdin;
    if (path) {
        opened = openRegularFile(path);
        if (!opened.file) {
            chunk.problem = opened.problem;
            return chunk;
        }
        chunk.size = opened.size;
        if (chunk.size > kMostWholeShowFileBytes) {
            chunk.tooLarge = true;
            return chunk;
        }
        file = opened.file.get();
        chunk.text.reserve(std::size_t(chunk.size));
    }
    // Never more than the bound, even from a file that grows while it is read.
    char buffer[1 << 16];
    while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, file)) {
        chunk.text.append(buffer, got);
        if (chunk.text.size() > kMostWholeShowFileBytes) {
            chunk.size = chunk.text.size();
            chunk.tooLarge = true;
            chunk.text.clear();
            return chunk;
        }
    }
    if (std::ferror(file)) {
        chunk.problem = FileProblem::Unreadable;
        chunk.text.clear();
        return chunk;
    }
    // As Lua's file loader does, a first line starting with '#' (a "#!" line) is skipped,
    // its line break kept so that line numbers stay those of the file.
    if (!chunk.text.empty() && chunk.text.front() == '#')
        chunk.text.erase(0, std::min(chunk.text.find('\n'), chunk.text.size()));
    return chunk;
}

bool isPrecompiledChunk(std::string_view text) { return !text.empty() && text.front() == LUA_SIGNATURE[0]; }

std::string precompiledChunkMessage(const std::string& where) {
    return where + ": a precompiled chunk is never run, not even with --trust; use the Lua source instead";
}

bool leadsInside(const std::string& folder, const std::string& name) {
    if (folder.empty()) return false;
    const fs::path root(folder);
    fs::path path = fs::path(name).is_absolute() ? fs::path(name) : root / name;
    for (int links = 0; links <= kMostLinks; ++links) {
        std::error_code ec;
        const fs::path resolved = fs::weakly_canonical(path, ec);
        if (ec) return false;
        // weakly_canonical follows every link up to the first name that does not exist. When
        // that name is a link to nothing, writing through it would make its target: follow it
        // by hand and look again.
        fs::path prefix;
        bool followed = false;
        for (auto it = resolved.begin(); it != resolved.end(); ++it) {
            const fs::path next = prefix / *it;
            const fs::file_status status = fs::symlink_status(next, ec);
            if (fs::is_symlink(status)) {
                const fs::path target = fs::read_symlink(next, ec);
                if (ec) return false;
                path = target.is_absolute() ? target : prefix / target;
                for (++it; it != resolved.end(); ++it) path /= *it;
                followed = true;
                break;
            }
            if (status.type() == fs::file_type::not_found || status.type() == fs::file_type::none) break;
            prefix = next;
        }
        if (!followed) return within(root, resolved);
    }
    return false;
}

ScriptSandbox::ScriptSandbox(bool trusted) : trusted_(trusted) {
    if (trusted_) return;
    std::error_code ec;
    const fs::path here = fs::current_path(ec);
    if (!ec) folder_ = fs::canonical(here, ec).string();
    if (ec) folder_.clear();
}

void ScriptSandbox::install(lua_State* L, ScriptHost& host) {
    // Whatever the rules: no precompiled chunks.
    setGlobal(L, host, "loadstring", guardedLoadstring);
    setGlobal(L, host, "load", guardedLoad);
    setGlobal(L, host, "loadfile", guardedLoadfile);
    setGlobal(L, host, "dofile", guardedDofile);
    if (!trusted_) guardLibraries(L, host);
}

void ScriptSandbox::say(std::string text) noexcept { message_ = std::move(text); }

void ScriptSandbox::explainRefusal(const char* function, const char* reason) noexcept {
    try {
        say(std::string(function) + ": " + reason + kTrustHint);
    } catch (...) {
        message_.clear();
    }
}

bool ScriptSandbox::refusesName(const char* function, const char* name, bool opens) noexcept {
    if (trusted_) return false;
    try {
        if (!leadsInside(folder_, name)) {
            say(std::string(function) + ": a show may not use files outside its folder (\"" + name + "\")" + kTrustHint);
            return true;
        }
        if (!opens || !blocksOrNeverEnds(name)) return false;
        say(std::string(function) + ": a show may open only regular files, and \"" + name + "\" " +
            describeWhatIsAt(name) + kTrustHint);
    } catch (...) {
        message_.clear();
    }
    return true;
}

bool ScriptSandbox::readChunk(const char* name) noexcept {
    try {
        if (name) chunkFiles_.emplace_back(name);
        ChunkFile file = readChunkFile(name);
        if (!file.ok()) {
            say(file.problemText(name ? name : "stdin"));
            return false;
        }
        chunk_ = std::move(file.text);
        return true;
    } catch (...) {
        say(std::string("cannot read ") + (name ? name : "stdin") + ": out of memory");
        return false;
    }
}

bool ScriptSandbox::refusesPrecompiled(const char* function, std::string_view text) noexcept {
    if (!isPrecompiledChunk(text)) return false;
    explainPrecompiled(function);
    return true;
}

void ScriptSandbox::explainPrecompiled(const char* function) noexcept {
    try {
        say(precompiledChunkMessage(function));
    } catch (...) {
        message_.clear();
    }
}

void ScriptSandbox::releaseChunk() noexcept {
    chunk_.clear();
    chunk_.shrink_to_fit();
}

} // namespace zamp
