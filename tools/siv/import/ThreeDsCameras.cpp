#include "import/ThreeDsCameras.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

namespace zamp::sivtool {

namespace {

// Chunk ids of the 3DS format.
constexpr std::uint16_t kMain = 0x4D4D;
constexpr std::uint16_t kEditor = 0x3D3D;
constexpr std::uint16_t kNamedObject = 0x4000;
constexpr std::uint16_t kCamera = 0x4700;
constexpr std::uint16_t kKeyframer = 0xB000;
constexpr std::uint16_t kTargetNode = 0xB004;
constexpr std::uint16_t kNodeHeader = 0xB010;
constexpr std::uint16_t kPositionTrack = 0xB020;
constexpr std::size_t kChunkHeader = 6;
// A 3DS file holds a few thousand keys at most; a count past this is damage.
constexpr std::uint32_t kMostKeys = 1u << 20;

// A bounds-checked view of bytes [at, end).
class Bytes {
public:
    Bytes(const unsigned char* data, std::size_t at, std::size_t end) : data_(data), at_(at), end_(end) {}

    bool left(std::size_t n) const { return end_ - at_ >= n; }
    std::size_t at() const { return at_; }

    bool u16(std::uint16_t& v) { return read(&v, 2); }
    bool u32(std::uint32_t& v) { return read(&v, 4); }
    bool f32(float& v) { return read(&v, 4); }
    bool vec(Vec3& v) { return f32(v.x) && f32(v.y) && f32(v.z); }
    bool skip(std::size_t n) {
        if (!left(n)) return false;
        at_ += n;
        return true;
    }
    bool cstring(std::string& s) {
        s.clear();
        while (at_ < end_) {
            const char c = char(data_[at_++]);
            if (c == 0) return true;
            s += c;
        }
        return false;
    }

private:
    bool read(void* out, std::size_t n) {
        // The format is little-endian, as this machine is.
        if (!left(n)) return false;
        std::memcpy(out, data_ + at_, n);
        at_ += n;
        return true;
    }

    const unsigned char* data_;
    std::size_t at_, end_;
};

struct Chunk {
    std::uint16_t id = 0;
    std::size_t begin = 0, end = 0; // the chunk's contents, after its header
};

// The chunks directly inside [begin, end).
std::vector<Chunk> chunksIn(const std::vector<unsigned char>& file, std::size_t begin, std::size_t end) {
    std::vector<Chunk> chunks;
    std::size_t at = begin;
    while (end - at >= kChunkHeader) {
        Bytes header(file.data(), at, end);
        std::uint16_t id = 0;
        std::uint32_t length = 0;
        header.u16(id);
        header.u32(length);
        if (length < kChunkHeader || length > end - at) break;
        chunks.push_back({id, at + kChunkHeader, at + length});
        at += length;
    }
    return chunks;
}

void readCamera(const std::vector<unsigned char>& file, const Chunk& object, std::map<std::string, ThreeDsCamera>& out) {
    Bytes bytes(file.data(), object.begin, object.end);
    std::string name;
    if (!bytes.cstring(name)) return;
    for (const Chunk& c : chunksIn(file, bytes.at(), object.end)) {
        if (c.id != kCamera) continue;
        Bytes record(file.data(), c.begin, c.end);
        ThreeDsCamera camera;
        if (record.vec(camera.position) && record.vec(camera.target) && record.f32(camera.bankDegrees))
            out[name] = camera;
    }
}

// The keys of a position track: each key's frame, the spline parameters its flags announce,
// then the value.
std::vector<ThreeDsKey> readPositionTrack(const std::vector<unsigned char>& file, const Chunk& track) {
    Bytes bytes(file.data(), track.begin, track.end);
    std::uint16_t flags = 0;
    std::uint32_t count = 0;
    std::vector<ThreeDsKey> keys;
    if (!bytes.u16(flags) || !bytes.skip(8) || !bytes.u32(count) || count > kMostKeys) return keys;
    for (std::uint32_t k = 0; k < count; ++k) {
        std::uint32_t frame = 0;
        std::uint16_t spline = 0;
        if (!bytes.u32(frame) || !bytes.u16(spline)) break;
        std::size_t extra = 0;
        for (int bit = 0; bit < 5; ++bit) extra += (spline >> bit) & 1u;
        ThreeDsKey key;
        key.frame = frame;
        if (!bytes.skip(4 * extra) || !bytes.vec(key.value)) break;
        keys.push_back(key);
    }
    return keys;
}

void readTargetNode(const std::vector<unsigned char>& file, const Chunk& node, std::map<std::string, ThreeDsCamera>& out) {
    std::string name;
    std::vector<ThreeDsKey> keys;
    for (const Chunk& c : chunksIn(file, node.begin, node.end)) {
        if (c.id == kNodeHeader) {
            Bytes bytes(file.data(), c.begin, c.end);
            bytes.cstring(name);
        } else if (c.id == kPositionTrack) {
            keys = readPositionTrack(file, c);
        }
    }
    const auto camera = out.find(name);
    if (camera == out.end() || keys.empty()) return;
    camera->second.targetKeys = std::move(keys);
}

} // namespace

std::map<std::string, ThreeDsCamera> readThreeDsCameras(const std::vector<unsigned char>& file) {
    std::map<std::string, ThreeDsCamera> cameras;
    for (const Chunk& main : chunksIn(file, 0, file.size())) {
        if (main.id != kMain) continue;
        const std::vector<Chunk> sections = chunksIn(file, main.begin, main.end);
        for (const Chunk& section : sections)
            if (section.id == kEditor)
                for (const Chunk& object : chunksIn(file, section.begin, section.end))
                    if (object.id == kNamedObject) readCamera(file, object, cameras);
        for (const Chunk& section : sections)
            if (section.id == kKeyframer)
                for (const Chunk& node : chunksIn(file, section.begin, section.end))
                    if (node.id == kTargetNode) readTargetNode(file, node, cameras);
    }
    return cameras;
}

std::map<std::string, ThreeDsCamera> readThreeDsCameras(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return readThreeDsCameras(bytes);
}

Vec3 targetAt(const ThreeDsCamera& camera, double frame) {
    const std::vector<ThreeDsKey>& keys = camera.targetKeys;
    if (keys.empty()) return camera.target;
    if (frame <= keys.front().frame) return keys.front().value;
    for (std::size_t i = 0; i + 1 < keys.size(); ++i) {
        const ThreeDsKey& a = keys[i];
        const ThreeDsKey& b = keys[i + 1];
        if (frame < b.frame) {
            const double span = b.frame - a.frame;
            const float u = span > 0 ? float((frame - a.frame) / span) : 0.0f;
            return {a.value.x + (b.value.x - a.value.x) * u, a.value.y + (b.value.y - a.value.y) * u,
                    a.value.z + (b.value.z - a.value.z) * u};
        }
    }
    return keys.back().value;
}

} // namespace zamp::sivtool
