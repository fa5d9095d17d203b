// Writing files so that a failure never leaves a cut-off file under the name: the bytes go to
// NAME.partial, which replaces NAME only once it is whole and closed. A full disk, a folder
// that cannot be written or a name that is a folder ends in an Error naming the file and the
// reason, and removes the partial file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace zamp {

class ReplacingFile {
public:
    // Throws "Cannot write PATH: reason" when the partial file cannot be made.
    explicit ReplacingFile(std::string path);
    // Removes the partial file unless `commit` succeeded.
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Throws "Cannot write PATH: reason".
    void write(const void* data, std::size_t size);
    // Closes the file and puts it in place of PATH; throws "Cannot write PATH: reason".
    void commit();

private:
    [[noreturn]] void fail(int error);

    std::string path_;
    std::string partial_;
    std::FILE* file_ = nullptr;
    bool committed_ = false;
};

// All of `bytes` as the file at `path`, through a partial file.
void writeFileReplacing(const std::string& path, std::span<const std::uint8_t> bytes);

} // namespace zamp
