#include "core/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zamp {

const char* describeFileProblem(FileProblem problem) {
    switch (problem) {
    case FileProblem::None: return "can be read";
    case FileProblem::Missing: return "does not exist";
    case FileProblem::NotRegular: return "is not a regular file";
    case FileProblem::Unreadable: return "cannot be read";
    }
    return "cannot be read";
}

std::string describeWhatIsAt(const std::string& path) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0)
        return errno == ENOENT || errno == ENOTDIR ? "does not exist" : "cannot be read";
    struct stat target {};
    if (::stat(path.c_str(), &target) != 0) {
        if (errno == ELOOP) return "is a loop of symbolic links";
        if (S_ISLNK(link.st_mode) && (errno == ENOENT || errno == ENOTDIR)) return "is a symbolic link to nothing";
        return "cannot be read";
    }
    if (S_ISDIR(target.st_mode)) return "is a folder";
    if (S_ISFIFO(target.st_mode)) return "is a named pipe";
    if (S_ISSOCK(target.st_mode)) return "is a socket";
    if (S_ISCHR(target.st_mode) || S_ISBLK(target.st_mode)) return "is a device";
    if (!S_ISREG(target.st_mode)) return "is not a regular file";
    return ::access(path.c_str(), R_OK) == 0 ? "can be read" : "cannot be read";
}

OpenedFile openRegularFile(const std::string& path) {
    OpenedFile result;
    // O_NONBLOCK: opening a pipe for reading would otherwise wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        result.problem = errno == ENOENT || errno == ENOTDIR ? FileProblem::Missing
                         : errno == ENXIO                    ? FileProblem::NotRegular // a socket
                                                             : FileProblem::Unreadable;
        return result;
    }
    struct stat info {};
    const bool statted = ::fstat(fd, &info) == 0;
    if (!statted || !S_ISREG(info.st_mode)) {
        result.problem = statted ? FileProblem::NotRegular : FileProblem::Unreadable;
        ::close(fd);
        return result;
    }
    // A regular file never blocks; reads go back to the ordinary kind.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        ::close(fd);
        result.problem = FileProblem::Unreadable;
        return result;
    }
    result.file.reset(file);
    result.size = static_cast<std::uint64_t>(info.st_size);
    return result;
}

} // namespace zamp
