#include "siv/SivWriter.h"

#include "core/Error.h"

#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <type_traits>

namespace zamp {

namespace {

class StreamBuilder {
public:
    template <class Record>
    void put(const Record& record) {
        static_assert(std::is_trivially_copyable_v<Record>);
        putBytes(&record, sizeof record);
    }
    template <class Record>
    void putAll(const std::vector<Record>& records) {
        putBytes(records.data(), records.size() * sizeof(Record));
    }
    void putBytes(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        out.insert(out.end(), bytes, bytes + size);
    }
    std::vector<std::uint8_t> out;
};

std::int32_t countOf(std::size_t size) {
    if (size > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw Error("SIV writer: more than 2^31 - 1 records in one array.");
    return static_cast<std::int32_t>(size);
}

std::size_t streamSize(const SivFile& file) {
    std::size_t size = kSivMinimalStreamSize;
    for (const SivMesh& m : file.meshes)
        size += sizeof(SivMeshHeader) + m.vertices.size() * sizeof(SivVertex) + m.faces.size() * sizeof(SivFace);
    size += file.textures.size() * sizeof(SivTextureEntry) + file.materials.size() * sizeof(SivMaterial) +
            file.cameras.size() * sizeof(SivCamera) + file.lights.size() * sizeof(SivLight);
    for (const SivTrackRecord& t : file.tracks) size += sizeof(SivTrack) + t.keys.size() * sizeof(SivKey);
    return size;
}

} // namespace

std::vector<std::uint8_t> buildSivStream(const SivFile& file, SivCounts counts) {
    const bool derive = counts == SivCounts::FromContents;
    StreamBuilder stream;
    stream.out.reserve(streamSize(file));

    stream.put(file.streamHeader);
    SivMainHeader main = file.mainHeader;
    if (derive) {
        main.meshCount = countOf(file.meshes.size());
        main.textureCount = countOf(file.textures.size());
        main.materialCount = countOf(file.materials.size());
        main.cameraCount = countOf(file.cameras.size());
        main.lightCount = countOf(file.lights.size());
        main.trackCount = countOf(file.tracks.size());
    }
    stream.put(main);

    stream.put(file.sectionNames[0]);
    for (const SivMesh& mesh : file.meshes) {
        SivMeshHeader header = mesh.header;
        if (derive) {
            header.vertexCount = countOf(mesh.vertices.size());
            header.faceCount = countOf(mesh.faces.size());
        }
        stream.put(header);
        stream.putAll(mesh.vertices);
        stream.putAll(mesh.faces);
    }
    stream.put(file.sectionNames[1]);
    stream.putAll(file.textures);
    stream.put(file.sectionNames[2]);
    stream.putAll(file.materials);
    stream.put(file.sectionNames[3]);
    stream.putAll(file.cameras);
    stream.put(file.sectionNames[4]);
    stream.putAll(file.lights);
    stream.put(file.sectionNames[5]);
    for (const SivTrackRecord& track : file.tracks) {
        SivTrack header = track.header;
        if (derive) header.keyCount = countOf(track.keys.size());
        stream.put(header);
        stream.putAll(track.keys);
    }
    if (stream.out.size() > std::numeric_limits<std::uint32_t>::max())
        throw Error("SIV writer: the stream is larger than 4 GiB.");
    return std::move(stream.out);
}

std::vector<std::uint8_t> wrapSivStream(std::span<const std::uint8_t> stream, int level) {
    if (stream.size() > std::numeric_limits<std::uint32_t>::max())
        throw Error("SIV writer: the stream is larger than 4 GiB.");
    uLongf payloadSize = compressBound(static_cast<uLong>(stream.size()));
    std::vector<std::uint8_t> file(sizeof(SivContainerHeader) + payloadSize);
    const int result = compress2(file.data() + sizeof(SivContainerHeader), &payloadSize, stream.data(),
                                 static_cast<uLong>(stream.size()), level);
    if (result != Z_OK) throw Error(std::string("SIV writer: zlib compress failed (") + zError(result) + ").");

    SivContainerHeader header;
    std::memcpy(header.signature, kSivContainerSignature, sizeof header.signature);
    header.uncompressedSize = static_cast<std::uint32_t>(stream.size());
    header.compressedSize = static_cast<std::uint32_t>(payloadSize);
    std::memcpy(file.data(), &header, sizeof header);
    file.resize(sizeof header + payloadSize);
    return file;
}

std::vector<std::uint8_t> encodeSivFile(const SivFile& file) { return wrapSivStream(buildSivStream(file)); }

void writeBinaryFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file(std::fopen(path.c_str(), "wb"));
    if (!file) throw Error("Cannot create " + path + ": " + std::strerror(errno));
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    const bool closed = std::fclose(file.release()) == 0;
    if (!written || !closed) throw Error("Cannot write " + path + ": " + std::strerror(errno));
}


} // namespace zamp
