#include "app/FileWatch.h"

#include <filesystem>

namespace zamp {

FileWatch::Stamp FileWatch::stampOf(const std::string& path) {
    Stamp stamp;
    stamp.path = path;
    std::error_code ec;
    const auto time = std::filesystem::last_write_time(path, ec);
    if (ec) return stamp;
    stamp.exists = true;
    stamp.time = time.time_since_epoch().count();
    stamp.size = std::filesystem::file_size(path, ec);
    if (ec) stamp.size = 0;
    return stamp;
}

void FileWatch::watch(const std::vector<std::string>& paths) {
    stamps_.clear();
    for (const std::string& path : paths) stamps_.push_back(stampOf(path));
}

bool FileWatch::changed() {
    bool any = false;
    for (Stamp& stamp : stamps_) {
        Stamp now = stampOf(stamp.path);
        if (now == stamp) continue;
        stamp = now;
        any = true;
    }
    return any;
}

} // namespace zamp
