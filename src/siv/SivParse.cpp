#include "siv/SivParse.h"

#include "core/Error.h"
#include "core/RegularFile.h"
#include "siv/SivInflater.h"
#include "siv/SivLimits.h"
#include "siv/SivReader.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace zamp {

namespace {

Error fileMessage(const std::string& path, const std::string& text) { return Error("File " + path + " " + text); }

[[noreturn]] void throwNotSiv(const std::string& path) { throw fileMessage(path, "is not a SIV file."); }

// Counts over the bounds of SivLimits.h. Checked after the underrun checks, so a damaged
// file keeps the message it has always had and only a file that really holds that much is
// refused this way.
// "File P: the scene has 200000 meshes, more than the 131072 the player takes."
void checkBound(const std::string& path, const std::string& subject, std::int64_t count, const char* noun,
                std::int64_t most) {
    if (count > most)
        throw Error("File " + path + ": " + subject + " " + std::to_string(count) + " " + noun + ", more than the " +
                    std::to_string(most) + " the player takes.");
}

std::string meshHas(std::size_t mesh) { return "mesh " + std::to_string(mesh) + " has"; }

// One SIV section of fixed-size records: `count` of them after its 9-byte name, at most `most`.
template <class Record>
std::vector<Record> readSection(SivReader& reader, SivSectionName& name, std::int32_t count, const std::string& path,
                                const char* noun, std::int64_t most) {
    reader.read(name.data(), kSivSectionNameSize);
    reader.ensureAvailable(count, sizeof(Record));
    checkBound(path, "the scene has", count, noun, most);
    return reader.readArray<Record>(count);
}

// The container's signature and sizes, checked before anything is allocated or inflated: a
// few forged bytes must not make the loader reserve gigabytes.
SivContainerHeader checkContainer(std::span<const std::uint8_t> fileBytes, const std::string& path,
                                  const SivLimits& limits) {
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
    if (header.uncompressedSize > limits.streamBytes())
        throw fileMessage(path, "declares " + std::to_string(header.uncompressedSize) + " inflated bytes, more than the " +
                                    std::to_string(limits.streamBytes()) + " that the largest scene the player takes needs.");
    return header;
}

SivFile parseRecords(SivReader& reader, const std::string& path, const SivLimits& limits);

// zlib's inflate state, ended whatever happens.
class Inflater {
public:
    Inflater() {
        if (inflateInit(&stream) != Z_OK) throw std::bad_alloc();
    }
    ~Inflater() { inflateEnd(&stream); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    z_stream stream{};
};

// Inflated bytes are produced this many at a time into a buffer that grows by doubling, never
// past the declared size: what it holds is what the payload really gave.
constexpr std::size_t kInflatePiece = 256 * 1024;
// Real scenes inflate to less than this many times their payload, so the buffer first
// reserves (without touching) that much and seldom has to move.
constexpr std::size_t kUsualInflateRatio = 16;

} // namespace

std::uint64_t sivMaxInflatedSize(std::uint32_t compressedSize) { return std::uint64_t{compressedSize} * 1032u; }

SivFile readSivFile(const std::string& path) { return parseSivFile(readSivFileBytes(path), path); }

std::vector<std::uint8_t> readSivFileBytes(const std::string& path) { return readSivFileBytes(path, path); }

std::vector<std::uint8_t> readSivFileBytes(const std::string& path, const std::string& shownPath) {
    OpenedFile opened = openRegularFile(path);
    auto cannotOpen = [&](FileProblem problem) {
        return Error(shownPath + " kan ikke åpnes. (It " + describeFileProblem(problem) + ".)");
    };
    if (!opened.file) throw cannotOpen(opened.problem);

    // The header first: it says how much of the file is payload; nothing after that is read.
    std::vector<std::uint8_t> bytes(sizeof(SivContainerHeader));
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), opened.file.get()));
    std::uint64_t wanted = bytes.size();
    if (bytes.size() == sizeof(SivContainerHeader) &&
        std::memcmp(bytes.data(), kSivContainerSignature, sizeof kSivContainerSignature) == 0) {
        SivContainerHeader header;
        std::memcpy(&header, bytes.data(), sizeof header);
        // Never more than the file holds: a forged size must not reserve memory.
        wanted = std::min<std::uint64_t>(sizeof header + std::uint64_t{header.compressedSize},
                                         std::max<std::uint64_t>(opened.size, sizeof header));
    }
    std::size_t used = bytes.size();
    bytes.resize(static_cast<std::size_t>(wanted));
    while (used < bytes.size()) {
        const std::size_t got = std::fread(bytes.data() + used, 1, bytes.size() - used, opened.file.get());
        if (got == 0) break;
        used += got;
    }
    // A file that cannot be read (an I/O error) cannot be used either.
    if (std::ferror(opened.file.get())) throw cannotOpen(FileProblem::Unreadable);
    bytes.resize(used);
    return bytes;
}

SivFile parseSivFile(std::span<const std::uint8_t> fileBytes, const std::string& path, const SivLimits& limits) {
    const SivContainerHeader header = checkContainer(fileBytes, path, limits);
    // The records are inflated straight into place. A damaged payload is reported before
    // anything the parser found wrong, as when the whole payload is inflated first.
    SivInflater inflater(fileBytes.subspan(sizeof header, header.compressedSize), header.uncompressedSize, path);
    SivReader reader(inflater, header.uncompressedSize);
    try {
        SivFile file = parseRecords(reader, path, limits);
        inflater.finish();
        return file;
    } catch (...) {
        inflater.finish();
        throw;
    }
}

SivStream inflateSivContainer(std::span<const std::uint8_t> fileBytes, const std::string& path,
                              const SivLimits& limits) {
    const SivContainerHeader header = checkContainer(fileBytes, path, limits);
    SivStream result;
    result.size = header.uncompressedSize;
    std::vector<std::uint8_t>& out = result.bytes;
    const Error decompressionError = fileMessage(path, "Decompression error.");
    Inflater inflater;
    z_stream& z = inflater.stream;
    z.next_in = const_cast<Bytef*>(fileBytes.data() + sizeof header);
    z.avail_in = header.compressedSize;
    out.reserve(std::min<std::size_t>(result.size, kUsualInflateRatio * header.compressedSize + kInflatePiece));
    for (;;) {
        if (out.size() == result.size) {
            // Full: the payload must end here. One more byte means it inflates to more than
            // the declared size, which does not fit the reader.
            Bytef extra;
            z.next_out = &extra;
            z.avail_out = 1;
            if (inflate(&z, Z_NO_FLUSH) == Z_STREAM_END && z.avail_out == 1) break;
            throw decompressionError;
        }
        const std::size_t piece = std::min<std::size_t>(kInflatePiece, result.size - out.size());
        const std::size_t before = out.size();
        if (out.capacity() < before + piece)
            out.reserve(std::min<std::size_t>(result.size, std::max(out.capacity() * 2, before + piece)));
        out.resize(before + piece);
        z.next_out = out.data() + before;
        z.avail_out = static_cast<uInt>(piece);
        const int status = inflate(&z, Z_NO_FLUSH);
        out.resize(before + piece - z.avail_out);
        // A payload that ends early: the rest of the declared size reads as zeros.
        if (status == Z_STREAM_END) break;
        // Damaged data, or a payload that stops in the middle of its zlib stream.
        if (status != Z_OK) throw decompressionError;
    }
    return result;
}

SivFile parseSivStream(const SivStream& stream, const std::string& path, const SivLimits& limits) {
    SivReader reader(stream.bytes, stream.size);
    return parseRecords(reader, path, limits);
}

SivFile parseSivStream(std::span<const std::uint8_t> stream, const std::string& path, const SivLimits& limits) {
    SivReader reader(stream);
    return parseRecords(reader, path, limits);
}

namespace {

SivFile parseRecords(SivReader& reader, const std::string& path, const SivLimits& limits) {
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
        checkBound(path, "the scene has", counts.meshCount, "meshes", limits.meshes);
        file.meshes.resize(static_cast<std::size_t>(counts.meshCount));
        std::int64_t vertices = 0, faces = 0;
        for (std::size_t m = 0; m < file.meshes.size(); ++m) {
            SivMesh& mesh = file.meshes[m];
            mesh.header = reader.read<SivMeshHeader>();
            // Unlike the section counts, a negative vertex or face count is not an empty
            // array: as a byte count it is larger than any stream, so it fails as an underrun.
            if (mesh.header.vertexCount < 0 || mesh.header.faceCount < 0) throw Error(kSivUnderrunMessage);
            reader.ensureAvailable(mesh.header.vertexCount, sizeof(SivVertex));
            if (mesh.header.vertexCount > limits.verticesPerMesh)
                checkBound(path, meshHas(m), mesh.header.vertexCount, "vertices", limits.verticesPerMesh);
            checkBound(path, "the meshes have", vertices += mesh.header.vertexCount, "vertices in all",
                       limits.vertices);
            mesh.vertices = reader.readArray<SivVertex>(mesh.header.vertexCount);
            reader.ensureAvailable(mesh.header.faceCount, sizeof(SivFace));
            if (mesh.header.faceCount > limits.facesPerMesh)
                checkBound(path, meshHas(m), mesh.header.faceCount, "faces", limits.facesPerMesh);
            checkBound(path, "the meshes have", faces += mesh.header.faceCount, "faces in all", limits.faces);
            mesh.faces = reader.readArray<SivFace>(mesh.header.faceCount);
        }
    }
    file.textures = readSection<SivTextureEntry>(reader, file.sectionNames[1], counts.textureCount, path,
                                                 "texture entries", limits.textures);
    file.materials = readSection<SivMaterial>(reader, file.sectionNames[2], counts.materialCount, path, "materials",
                                              limits.materials);
    file.cameras =
        readSection<SivCamera>(reader, file.sectionNames[3], counts.cameraCount, path, "cameras", limits.cameras);
    file.lights = readSection<SivLight>(reader, file.sectionNames[4], counts.lightCount, path, "lights", limits.lights);

    reader.read(file.sectionNames[5].data(), kSivSectionNameSize);
    if (counts.trackCount > 0) {
        reader.ensureAvailable(counts.trackCount, sizeof(SivTrack));
        checkBound(path, "the scene has", counts.trackCount, "tracks", limits.tracks);
        file.tracks.resize(static_cast<std::size_t>(counts.trackCount));
        std::int64_t keys = 0;
        for (SivTrackRecord& track : file.tracks) {
            track.header = reader.read<SivTrack>();
            reader.ensureAvailable(track.header.keyCount, sizeof(SivKey));
            if (track.header.keyCount > 0)
                checkBound(path, "the tracks hold", keys += track.header.keyCount, "keys in all", limits.keys);
            track.keys = reader.readArray<SivKey>(track.header.keyCount);
        }
    }
    return file;
}

} // namespace

} // namespace zamp
