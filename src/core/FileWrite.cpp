#include "core/FileWrite.h"

#include "core/Error.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace zamp {

namespace {

// Temporary names tried for one file before giving up: more than a folder left by killed
// writers of the same process number ever holds.
constexpr int kMostTemporaryNames = 1000;

} // namespace

ReplacingFile::ReplacingFile(std::string path) : path_(std::move(path)) {
    // O_EXCL: a name that exists, another writer's or one left behind, is never taken over.
    // The process number keeps apart the writers of different processes, the count those of
    // one process.
    const std::string prefix = path_ + "." + std::to_string(::getpid()) + "-";
    int fd = -1;
    for (int n = 0; fd < 0; ++n) {
        partial_ = prefix + std::to_string(n) + ".partial";
        fd = ::open(partial_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && (errno != EEXIST || n + 1 >= kMostTemporaryNames)) {
            const int error = errno;
            partial_.clear(); // nothing of ours to remove
            fail(error);
        }
    }
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        const int error = errno;
        ::close(fd);
        fail(error);
    }
}

ReplacingFile::~ReplacingFile() {
    if (file_) std::fclose(file_);
    if (!committed_ && !partial_.empty()) std::remove(partial_.c_str());
}

void ReplacingFile::fail(int error) {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    if (!partial_.empty()) std::remove(partial_.c_str());
    partial_.clear();
    throw Error("Cannot write " + path_ + ": " + std::strerror(error));
}

void ReplacingFile::write(const void* data, std::size_t size) {
    if (size > 0 && std::fwrite(data, 1, size, file_) != size) fail(errno);
}

void ReplacingFile::commit() {
    // A full disk often shows only when the last buffer is flushed.
    if (std::fflush(file_) != 0) fail(errno);
    std::FILE* file = file_;
    file_ = nullptr;
    if (std::fclose(file) != 0) fail(errno);
    if (std::rename(partial_.c_str(), path_.c_str()) != 0) fail(errno);
    committed_ = true;
}

void writeFileReplacing(const std::string& path, std::span<const std::uint8_t> bytes) {
    ReplacingFile file(path);
    file.write(bytes.data(), bytes.size());
    file.commit();
}

} // namespace zamp
