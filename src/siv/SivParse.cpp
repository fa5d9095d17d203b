#include "siv/SivParse.h"

#include "core/Error.h"
#include "siv/SivInflater.h"
#include "siv/SivReader.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace zamp {

namespace {

Error fileMessage(const std::string& path, const std::string& text) { return Error("File " + path + " " + text); }

[[noreturn]] void throwNotSiv(const std::string& path) { throw fileMessage(path, "is not a SIV file."); }

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// One SIV section: `count` records that follow its 9-byte name.
template <class Record>
std::vector<Record> readSection(SivReader& reader, SivSectionName& name, std::int32_t count) {
    reader.read(name.data(), kSivSectionNameSize);
    return reader.readArray<Record>(count);
}

// The container's signature and sizes, checked before anything is allocated: a few forged
// bytes must not make the loader reserve gigabytes.
SivContainerHeader checkContainer(std::span<const std::uint8_t> fileBytes, const std::string& path) {
    // The signature buffer starts as spaces, so a file of fewer than four bytes never matches.
    char signature[4] = {' ', ' ', ' ', ' '};
    if (!fileBytes.empty()) std::memcpy(signature, fileBytes.data(), std::min(fileBytes.size(), sizeof signature));
    if (std::memcmp(signature, kSivContainerSignature, sizeof signature) != 0) throwNotSiv(path);

    if (fileBytes.size() < sizeof(SivContainerHeader))
        throw fileMessage(path, "is truncated: it ends inside its 12-byte header.");
    SivContainerHeader header;
    std::memcpy(&header, fileBytes.data(), sizeof header);

    const std::size_t payloadBytes = fileBytes.size() - sizeof header;
    if (header.compressedSize > payloadBytes)
        throw fileMessage(path, "is truncated: its header declares a payload of " + std::to_string(header.compressedSize) +
                                    " bytes, but only " + std::to_string(payloadBytes) + " follow.");
    if (header.uncompressedSize > sivMaxInflatedSize(header.compressedSize))
        throw fileMessage(path, "declares " + std::to_string(header.uncompressedSize) + " inflated bytes, more than its " +
                                    std::to_string(header.compressedSize) + "-byte payload can inflate to.");
    return header;
}

SivFile parseRecords(SivReader& reader, const std::string& path);

} // namespace

std::uint64_t sivMaxInflatedSize(std::uint32_t compressedSize) { return std::uint64_t{compressedSize} * 1032u; }

SivFile readSivFile(const std::string& path) { return parseSivFile(readSivFileBytes(path), path); }

std::vector<std::uint8_t> readSivFileBytes(const std::string& path) { return readSivFileBytes(path, path); }

std::vector<std::uint8_t> readSivFileBytes(const std::string& path, const std::string& shownPath) {
    const Error cannotOpen(shownPath + " kan ikke åpnes.");
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) throw cannotOpen;

    // Sized to the file at once when its size is known (one byte more, to see the end), so
    // that a large file is read without copies.
    std::error_code ec;
    const std::uintmax_t expected = std::filesystem::file_size(path, ec);
    std::vector<std::uint8_t> bytes;
    std::size_t used = 0;
    for (;;) {
        const std::size_t next = used == 0 && !ec && expected < (std::uintmax_t{1} << 32) ? std::size_t(expected) + 1 : used * 2;
        bytes.resize(std::max<std::size_t>(next, 1 << 16));
        const std::size_t got = std::fread(bytes.data() + used, 1, bytes.size() - used, file.get());
        used += got;
        if (used < bytes.size()) break;
    }
    // A path that opens but cannot be read (a directory, an I/O error) cannot be used either.
    if (std::ferror(file.get())) throw cannotOpen;
    bytes.resize(used);
    return bytes;
}

SivFile parseSivFile(std::span<const std::uint8_t> fileBytes, const std::string& path) {
    const SivContainerHeader header = checkContainer(fileBytes, path);
    // The records are inflated straight into place. A damaged payload is reported before
    // anything the parser found wrong, as when the whole payload is inflated first.
    SivInflater inflater(fileBytes.subspan(sizeof header, header.compressedSize), header.uncompressedSize, path);
    SivReader reader(inflater, header.uncompressedSize);
    try {
        SivFile file = parseRecords(reader, path);
        inflater.finish();
        return file;
    } catch (...) {
        inflater.finish();
        throw;
    }
}

std::vector<std::uint8_t> inflateSivContainer(std::span<const std::uint8_t> fileBytes, const std::string& path) {
    const SivContainerHeader header = checkContainer(fileBytes, path);
    std::vector<std::uint8_t> stream(header.uncompressedSize);
    uLongf inflatedSize = header.uncompressedSize;
    const int result =
        uncompress(stream.data(), &inflatedSize, fileBytes.data() + sizeof header, header.compressedSize);
    if (result != Z_OK) throw fileMessage(path, "Decompression error.");
    // A short stream would leave the end of the buffer unwritten while the reader still covers
    // it; such a file is refused instead of being read with made-up bytes.
    if (inflatedSize != header.uncompressedSize)
        throw fileMessage(path, "inflates to " + std::to_string(inflatedSize) + " bytes, fewer than the " +
                                    std::to_string(header.uncompressedSize) + " its header declares.");
    return stream;
}

SivFile parseSivStream(std::span<const std::uint8_t> stream, const std::string& path) {
    SivReader reader(stream);
    return parseRecords(reader, path);
}

namespace {

SivFile parseRecords(SivReader& reader, const std::string& path) {
    SivFile file;

    // Signature, version and chunk name are all read before any of them is checked, so a
    // stream shorter than 17 bytes is an underrun whatever it starts with.
    file.streamHeader = reader.read<SivStreamHeader>();
    const SivStreamHeader& head = file.streamHeader;
    if (std::memcmp(head.signature, kSivStreamSignature, sizeof head.signature) != 0) throwNotSiv(path);
    if (head.version != kSivVersion) throw fileMessage(path, "is incorrect version");
    if (std::memcmp(head.chunkName, kSivChunkName, kSivChunkNameCompared) != 0) throwNotSiv(path);

    file.mainHeader = reader.read<SivMainHeader>();
    const SivMainHeader& counts = file.mainHeader;

    reader.read(file.sectionNames[0].data(), kSivSectionNameSize);
    if (counts.meshCount > 0) {
        // Every mesh takes at least its header, so the count is checked before reserving.
        reader.ensureAvailable(counts.meshCount, sizeof(SivMeshHeader));
        file.meshes.resize(static_cast<std::size_t>(counts.meshCount));
        for (SivMesh& mesh : file.meshes) {
            mesh.header = reader.read<SivMeshHeader>();
            // Unlike the section counts, a negative vertex or face count is not an empty
            // array: as a byte count it is larger than any stream, so it fails as an underrun.
            if (mesh.header.vertexCount < 0 || mesh.header.faceCount < 0) throw Error(kSivUnderrunMessage);
            mesh.vertices = reader.readArray<SivVertex>(mesh.header.vertexCount);
            mesh.faces = reader.readArray<SivFace>(mesh.header.faceCount);
        }
    }
    file.textures = readSection<SivTextureEntry>(reader, file.sectionNames[1], counts.textureCount);
    file.materials = readSection<SivMaterial>(reader, file.sectionNames[2], counts.materialCount);
    file.cameras = readSection<SivCamera>(reader, file.sectionNames[3], counts.cameraCount);
    file.lights = readSection<SivLight>(reader, file.sectionNames[4], counts.lightCount);

    reader.read(file.sectionNames[5].data(), kSivSectionNameSize);
    if (counts.trackCount > 0) {
        reader.ensureAvailable(counts.trackCount, sizeof(SivTrack));
        file.tracks.resize(static_cast<std::size_t>(counts.trackCount));
        for (SivTrackRecord& track : file.tracks) {
            track.header = reader.read<SivTrack>();
            track.keys = reader.readArray<SivKey>(track.header.keyCount);
        }
    }
    return file;
}

} // namespace

} // namespace zamp
