// The one exception type for failures a user is told about. Its text is the exact message
// the player shows (in a message box and on standard error); it is caught once, at the entry
// point of each program. Programming mistakes are assertions, not Errors.
#pragma once

#include <stdexcept>
#include <string>

namespace zamp {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
    explicit Error(const char* message) : std::runtime_error(message) {}
};

} // namespace zamp
