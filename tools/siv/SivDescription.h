// `siv build`: a SIV file from a scene description written as a Lua table. The description
// file is run as Lua and must return the table; docs/siv-tool.md gives its fields.
#pragma once

#include "siv/SivFile.h"

#include <string>

namespace zamp::sivtool {

// Runs the description at `path` and converts it. Throws DescriptionError (LuaTable.h) with
// "PATH: FIELD: problem" for a description that is not valid Lua, does not return a table, or
// has a missing, misspelt or ill-typed field, and for values that the player would refuse
// (a face index past the vertices, a material index past the materials, ...).
SivFile readSivDescription(const std::string& path);

// The same for a description given as text; `chunkName` names it in messages.
SivFile parseSivDescription(const std::string& text, const std::string& chunkName);

} // namespace zamp::sivtool
