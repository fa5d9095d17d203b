// What a show's script may do with Lua's own libraries. Shows may come from strangers, so by
// default a script runs with a show's rights, not the user's:
//   - base, string and math as Lua has them; of os only time, clock, date and difftime;
//   - files only inside the show folder (the working folder when the host was made):
//     io.open, io.lines, io.input, io.output, os.remove, os.rename, dofile and loadfile take
//     only names that lead inside it once every symbolic link on the way is followed (a last
//     link that points to nothing yet included, since writing through it would make its
//     target); inside, reading, writing, removing and renaming work as in Lua;
//   - no commands (os.execute, io.popen), no files made elsewhere (os.tmpname, io.tmpfile),
//     no environment (os.getenv), no end of the player (os.exit), no change of its locale
//     (os.setlocale). `require` and `loadlib` do not exist: the package library is never
//     opened, so no C module can be loaded.
// A refused call ends the script as a failing script function does (ScriptHost.h): its
// message names the function and says how to allow it, "os.execute: a show may not run
// commands; play it with --trust if you wrote it or trust it". With ScriptRules::trusted
// (--trust) io and os are Lua's own.
//
// Whatever the rules, no precompiled chunk is ever loaded, by loadstring, load, loadfile,
// dofile or as the show's script: Lua 5.1 runs bytecode unchecked, so a forged chunk could
// read and write the player's memory. string.dump stays; what it makes cannot be loaded.
//
// The functions that Lua calls (in ScriptSandbox.cpp) hold no C++ objects while they call
// into Lua, since a Lua error is a longjmp; the C++ work happens in the members below, which
// never throw and leave their words in message().
#pragma once

#include "core/RegularFile.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct lua_State;

namespace zamp {

class ScriptHost;

// A chunk file read whole, or why it cannot be.
struct ChunkFile {
    std::string text; // without a first line starting with '#' (its line break kept)
    FileProblem problem = FileProblem::None;
    std::uint64_t size = 0; // of the file, also when it is too large to read
    bool tooLarge = false;  // more than kMostWholeShowFileBytes: not read at all

    bool ok() const { return problem == FileProblem::None && !tooLarge; }
    // "data/x.lua is 70000000 bytes, more than the 67108864 bytes a script may have",
    // "cannot open data/x.lua (it does not exist)".
    std::string problemText(const std::string& name) const;
};

// Reads the chunk file `path` (standard input when null): a regular file of at most
// kMostWholeShowFileBytes, refused unread when larger.
ChunkFile readChunkFile(const char* path);

// True when Lua would take `text` for a precompiled chunk (it looks at the first byte only).
bool isPrecompiledChunk(std::string_view text);
// "WHERE: a precompiled chunk is never run, not even with --trust; use the Lua source instead"
std::string precompiledChunkMessage(const std::string& where);

// True when `name` (absolute, or relative to `folder`) leads inside `folder`, a canonical
// path, once every symbolic link on the way is followed.
bool leadsInside(const std::string& folder, const std::string& name);

class ScriptSandbox {
public:
    // Without `trusted` the show folder is the working folder as it is now.
    explicit ScriptSandbox(bool trusted);

    // Puts the guarded functions in place of Lua's in the opened libraries of `L`; `host`
    // keeps the refusals.
    void install(lua_State* L, ScriptHost& host);

    bool trusted() const { return trusted_; }
    // The chunk files that dofile and loadfile looked for, as the script named them, found
    // or not.
    const std::vector<std::string>& chunkFiles() const { return chunkFiles_; }

    // For the functions Lua calls. Puts the message of a call refused for `reason` in
    // message().
    void explainRefusal(const char* function, const char* reason) noexcept;
    // Each of these returns true when the call is refused, with its message in message().
    // A name outside the show folder; with `opens`, also one of a named pipe, a device or a
    // socket inside it (opening it could hold the player for ever).
    bool refusesName(const char* function, const char* name, bool opens) noexcept;
    // Reads a chunk file into chunk(); false, with the reason in message(), when it cannot
    // be read. Records the name in chunkFiles().
    bool readChunk(const char* name) noexcept;
    // Refuses `text` given to `function` when it is a precompiled chunk.
    bool refusesPrecompiled(const char* function, std::string_view text) noexcept;
    // The message of a precompiled chunk refused to `function`.
    void explainPrecompiled(const char* function) noexcept;

    const std::string& message() const { return message_; }
    const std::string& chunk() const { return chunk_; }
    void releaseChunk() noexcept;

private:
    void say(std::string text) noexcept;

    bool trusted_;
    std::string folder_; // canonical; empty when unknown (then no name leads inside)
    std::vector<std::string> chunkFiles_;
    std::string message_;
    std::string chunk_;
};

} // namespace zamp
