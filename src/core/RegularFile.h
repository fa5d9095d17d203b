// Opening a file the player reads: only a regular file. A named pipe with no writer blocks the
// open (and the read) for ever, a device such as /dev/zero never ends and a folder cannot be
// read; each is refused at once with a reason instead. Every place that opens a show's file
// (SIV files, pictures, music) goes through here.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace zamp {

enum class FileProblem {
    None,
    Missing,    // nothing of that name (or a folder on the way is missing)
    NotRegular, // a folder, a named pipe, a device, a socket
    Unreadable, // there, but this user may not read it, or reading failed
};

// Why a file could not be used, in words for a message: "does not exist", ...
const char* describeFileProblem(FileProblem problem);

// What stands at `path` when it is no regular file that can be read, in words for a message:
// "does not exist", "is a folder", "is a named pipe", "is a socket", "is a device", "is a
// loop of symbolic links", "is a symbolic link to nothing", "cannot be read"; "can be read"
// for a readable regular file.
std::string describeWhatIsAt(const std::string& path);

// The most bytes a show file may have that is read whole and that no format of its own
// bounds (a tracker module, a script): far above any real one, low enough that a forged or
// sparse file cannot fill memory.
inline constexpr std::uint64_t kMostWholeShowFileBytes = std::uint64_t{64} << 20;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

struct OpenedFile {
    FilePtr file;                         // open for binary reading; null on a problem
    FileProblem problem = FileProblem::None;
    std::uint64_t size = 0;               // the file's size when it was opened
};

// Opens `path` (as given) for reading without ever blocking: the open does not wait for a
// pipe's writer, and anything but a regular file is closed again and refused.
OpenedFile openRegularFile(const std::string& path);

} // namespace zamp
