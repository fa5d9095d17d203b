#include "gfx/PictureFile.h"

#include "core/RegularFile.h"
#include "gfx/Texture.h"

#include <cstdio>
#include <new>

namespace zamp {

namespace {

// No picture of at most kMaxTextureSide a side takes more bytes than this, even stored
// uncompressed or with run-length coding that only adds (a TGA may spend 5 bytes a pixel).
constexpr std::uint64_t kMostPictureFileBytes = 5ull * kMaxTextureSide * kMaxTextureSide + (std::uint64_t{1} << 20);

PictureFile refused(std::string problem, bool missing = false) {
    PictureFile file;
    file.problem = std::move(problem);
    file.missing = missing;
    return file;
}

} // namespace

std::string pictureSizeText(std::int64_t width, std::int64_t height) {
    return std::to_string(width) + " by " + std::to_string(height);
}

std::string PictureFile::damaged(const std::string& why) const {
    return std::string("is a damaged ") + imageFormatName(header.format) + " picture (" + why + ")";
}

PictureFile readPictureFile(const std::string& path) {
    OpenedFile opened = openRegularFile(path);
    if (!opened.file) return refused(describeFileProblem(opened.problem), opened.problem == FileProblem::Missing);
    if (opened.size > kMostPictureFileBytes)
        return refused("is " + std::to_string(opened.size) + " bytes, more than any picture of at most " +
                       pictureSizeText(kMaxTextureSide, kMaxTextureSide) + " pixels takes");
    std::vector<std::uint8_t> bytes;
    try {
        bytes.resize(static_cast<std::size_t>(opened.size));
    } catch (const std::bad_alloc&) {
        return refused("cannot be decoded: there is not enough memory");
    }
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), opened.file.get());
    if (std::ferror(opened.file.get())) return refused(describeFileProblem(FileProblem::Unreadable));
    bytes.resize(got);
    return checkPictureBytes(std::move(bytes));
}

PictureFile checkPictureBytes(std::vector<std::uint8_t> bytes) {
    const std::optional<ImageHeader> header = readImageHeader(bytes);
    if (!header) return refused("is not a PNG, JPG, TGA, BMP or GIF picture");
    PictureFile file;
    file.header = *header;
    if (header->width == 0 || header->height == 0) return refused(file.damaged("its header gives no size"));
    if (header->width > kMaxTextureSide || header->height > kMaxTextureSide)
        return refused("is " + pictureSizeText(header->width, header->height) + " pixels, more than the " +
                       pictureSizeText(kMaxTextureSide, kMaxTextureSide) + " a texture may have");
    file.bytes = std::move(bytes);
    return file;
}

} // namespace zamp
