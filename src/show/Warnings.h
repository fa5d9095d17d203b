// Things a show does that are allowed but are probably not what its author meant (keys on a
// layer without a start time, a show that ends at once, music that does not load). Each text
// is kept once, in the order first seen, and handed to whoever listens as it arrives.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zamp {

class Warnings {
public:
    // Keeps `text` unless it is already kept; a new text goes to the listener.
    void add(const std::string& text);
    const std::vector<std::string>& all() const { return texts_; }

    // Called with each new text; the player writes it to standard error.
    std::function<void(const std::string&)> listener;

private:
    std::vector<std::string> texts_;
};

} // namespace zamp
