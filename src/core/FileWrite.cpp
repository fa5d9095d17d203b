#include "core/FileWrite.h"

#include "core/Error.h"

#include <cerrno>
#include <cstring>

namespace zamp {

ReplacingFile::ReplacingFile(std::string path) : path_(std::move(path)), partial_(path_ + ".partial") {
    file_ = std::fopen(partial_.c_str(), "wb");
    if (!file_) fail(errno);
}

ReplacingFile::~ReplacingFile() {
    if (file_) std::fclose(file_);
    if (!committed_) std::remove(partial_.c_str());
}

void ReplacingFile::fail(int error) {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    std::remove(partial_.c_str());
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
