// Writing files so that a failure never leaves a cut-off file under the name: the bytes go to
// a temporary file of this writer's own beside NAME (NAME.PID-N.partial, made anew, never one
// that exists), which replaces NAME only once it is whole and closed. So no reader ever sees
// a half-written file under NAME, writers of one name at the same time (parts of one render
// running side by side into one folder) never share a temporary file, and a writer that is
// killed leaves only its own. A full disk, a folder that cannot be written or a name that is
// a folder ends in an Error naming the file and the reason, and removes the temporary file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace zamp {

class ReplacingFile {
public:
    // Throws "Cannot write PATH: reason" when the temporary file cannot be made.
    explicit ReplacingFile(std::string path);
    // Removes the temporary file unless `commit` succeeded.
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Throws "Cannot write PATH: reason".
    void write(const void* data, std::size_t size);
    // Closes the file and puts it in place of PATH; throws "Cannot write PATH: reason".
    void commit();

    // The temporary file's name.
    const std::string& temporaryPath() const { return partial_; }

private:
    [[noreturn]] void fail(int error);

    std::string path_;
    std::string partial_;
    std::FILE* file_ = nullptr;
    bool committed_ = false;
};

// All of `bytes` as the file at `path`, through a temporary file.
void writeFileReplacing(const std::string& path, std::span<const std::uint8_t> bytes);

} // namespace zamp
