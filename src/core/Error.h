// The one exception type for failures a user is told about. Its text is the exact message
// the player shows (in a message box and on standard error), possibly followed by lines of
// context (where in the script it happened); it is caught once, at the entry point of each
// program. Programming mistakes are assertions, not Errors.
#pragma once

#include <stdexcept>
#include <string>

namespace zamp {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message), message_(message) {}
    explicit Error(const char* message) : Error(std::string(message)) {}

    // The same message with one more line of context under the text so far.
    Error withContext(const std::string& line) const { return Error(message_, std::string(what()) + "\n" + line); }

    // The message alone, without the context lines.
    const std::string& message() const { return message_; }

private:
    Error(std::string message, const std::string& text) : std::runtime_error(text), message_(std::move(message)) {}
    std::string message_;
};

} // namespace zamp
