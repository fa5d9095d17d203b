// Messages on their way to a terminal or a message box. Paths on this system are UTF-8, while
// names inside SIV files come from Windows and are Windows-1252. Every message is shown
// through here: valid UTF-8 sequences are kept and every other byte is taken as
// Windows-1252 and re-encoded, so the result is always valid UTF-8.
#pragma once

#include <string>

namespace zamp {

std::string displayText(const std::string& bytes);

} // namespace zamp
