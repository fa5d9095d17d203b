// Which files of a show changed on disk since they were last looked at. It polls: each look
// reads the modification time and size of every file, a few dozen stat calls for a show,
// cheap enough to do four times a second, and it needs nothing from the platform.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zamp {

class FileWatch {
public:
    // Remembers how the files stand now (a missing file counts too: its appearing is a change).
    void watch(const std::vector<std::string>& paths);
    // True when any watched file's time or size differs from when it was watched; the new
    // state is remembered, so each change is reported once.
    bool changed();

private:
    struct Stamp {
        std::string path;
        bool exists = false;
        std::int64_t time = 0;
        std::uintmax_t size = 0;
        bool operator==(const Stamp&) const = default;
    };
    static Stamp stampOf(const std::string& path);
    std::vector<Stamp> stamps_;
};

} // namespace zamp
