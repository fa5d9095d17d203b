#include "siv/SivFile.h"

#include <algorithm>
#include <cstring>

namespace zamp {

SivStreamHeader SivFile::defaultStreamHeader() {
    SivStreamHeader header{};
    std::memcpy(header.signature, kSivStreamSignature, sizeof header.signature);
    header.version = kSivVersion;
    std::memcpy(header.chunkName, kSivChunkName, sizeof header.chunkName);
    return header;
}

std::array<SivSectionName, kSivSectionCount> SivFile::defaultSectionNames() {
    static const char* const names[kSivSectionCount] = {"MESHCHUNK", "TEXTCHUNK", "MATECHUNK",
                                                         "CAMECHUNK", "LIGHCHUNK", "TRACCHUNK"};
    std::array<SivSectionName, kSivSectionCount> result{};
    for (std::size_t i = 0; i < kSivSectionCount; ++i) std::memcpy(result[i].data(), names[i], kSivSectionNameSize);
    return result;
}

std::optional<std::string> sivTextureName(const SivTextureEntry& entry) {
    const char* end = static_cast<const char*>(std::memchr(entry.fileName, 0, sizeof entry.fileName));
    if (!end) return std::nullopt;
    return std::string(entry.fileName, end);
}

SivTextureEntry makeSivTextureEntry(std::int32_t textureId, const std::string& fileName) {
    SivTextureEntry entry{};
    entry.textureId = textureId;
    const std::size_t length = std::min(fileName.size(), sizeof entry.fileName - 1);
    std::memcpy(entry.fileName, fileName.data(), length);
    return entry;
}

} // namespace zamp
