// The model formats `siv import` reads: its model library's list, for `siv formats` (tools that
// look for models in a show folder ask it) and for the test that keeps the player's own list
// of model names (show/ModelImport.h) the same.
#pragma once

#include <string>
#include <vector>

namespace zamp::sivtool {

// The file name extensions of the formats, lower case, without the dot, in byte order
// ("mesh.xml" has two parts).
std::vector<std::string> readableModelExtensions();

} // namespace zamp::sivtool
