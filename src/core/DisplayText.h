// Messages on their way to a terminal or a message box. Paths on this system are UTF-8, while
// names inside SIV files come from Windows and are Windows-1252. Every message is shown
// through here: valid UTF-8 sequences are kept and every other byte is taken as
// Windows-1252 and re-encoded, so the result is always valid UTF-8.
#pragma once

#include <string>

namespace zamp {

std::string displayText(const std::string& bytes);

// `name` with every zero byte written as the two characters \0: a message is shown up to its
// first zero byte, so a name that holds one must be spelled out to be seen whole.
std::string visibleZeros(const std::string& name);

} // namespace zamp
