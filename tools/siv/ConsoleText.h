// Text from SIV files and the loader's messages is Windows-1252 (" kan ikke \xE5pnes."), while
// paths on this system are UTF-8. For printing, valid UTF-8 sequences are kept and every other
// byte is taken as Windows-1252 and re-encoded.
#pragma once

#include <string>

namespace zamp::sivtool {

std::string consoleText(const std::string& bytes);

} // namespace zamp::sivtool
