// What loading a SIV file may cost in memory: at most a fixed multiple of the file's own size
// (docs/robustness.md states it), however the file is made. The heap is counted by replacing
// the global operator new and delete for this test program; zlib's own state (about 40 KB,
// taken with malloc) is the fixed part outside the count.
#include "support/RecordingDevice.h"
#include "support/SivTestSupport.h"

#include "platform/Platform.h"
#include "show/Scene.h"
#include "show/SivSceneBuilder.h"
#include "show/TextureRegistry.h"
#include "siv/SivParse.h"

#include <malloc.h>
#include <zlib.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> inUse{0};
std::atomic<std::size_t> peak{0};

void* counted(std::size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    const std::size_t now = inUse += malloc_usable_size(p);
    std::size_t seen = peak.load();
    while (now > seen && !peak.compare_exchange_weak(seen, now)) {
    }
    return p;
}

void released(void* p) noexcept {
    if (!p) return;
    inUse -= malloc_usable_size(p);
    std::free(p);
}

} // namespace

void* operator new(std::size_t size) { return counted(size); }
void* operator new[](std::size_t size) { return counted(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return counted(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { released(p); }
void operator delete[](void* p) noexcept { released(p); }
void operator delete(void* p, std::size_t) noexcept { released(p); }
void operator delete[](void* p, std::size_t) noexcept { released(p); }

using namespace zamp;
using namespace zamp::sivtest;

namespace {

// The most bytes a load may hold at once, per byte of the file (see docs/robustness.md).
constexpr std::size_t kBytesPerFileByte = 4000;
constexpr std::size_t kFixedBytes = 1 << 20;

// Peak heap while `file` is parsed and built into a scene, above what was in use before.
std::size_t loadPeak(const std::vector<std::uint8_t>& file) {
    test::RecordingDevice device;
    auto imageFiles = openImageFiles();
    TextureRegistry textures;
    SceneList scenes;
    const std::size_t before = inUse.load();
    peak = before;
    try {
        const SivFile parsed = parseSivFile(file, "m.siv");
        scenes.append(buildSivScene(device, *imageFiles, textures, checkSivScene(parsed, "m.siv"), "m"));
    } catch (const Error&) {
        // Refused files count too: what matters is what they cost on the way.
    }
    return peak.load() - before;
}

// A stream of `stream` bytes deflated as hard as zlib can.
std::vector<std::uint8_t> tight(const std::vector<std::uint8_t>& stream) { return wrapSivStream(stream, Z_BEST_COMPRESSION); }

SivMesh oneTriangle(std::int32_t id) {
    SivMesh mesh;
    mesh.header.objectId = id;
    mesh.header.rotation = {0, 0, 0, 1};
    mesh.vertices = {vertex(0, 0, 0), vertex(0, 1, 0), vertex(1, 0, 0)};
    mesh.faces = {face(0, 1, 2)};
    return mesh;
}

} // namespace

TEST(SivMemory, TheInflateBufferGrowsWithTheDataNotWithTheDeclaredSize) {
    // Random bytes declaring the largest stream: zlib refuses the first bytes, and nothing near
    // the declared 489 MB is allocated (the loader used to zero-fill it all first); what real
    // scenes inflate to (16 times the payload) is reserved, untouched.
    const std::uint32_t declared = static_cast<std::uint32_t>(kSivLimits.streamBytes());
    std::vector<std::uint8_t> file = {'Z', 'S', 'I', 'V'};
    const std::uint32_t payload = 480000;
    for (std::uint32_t v : {declared, payload})
        for (int b = 0; b < 4; ++b) file.push_back(static_cast<std::uint8_t>(v >> (8 * b)));
    std::uint32_t state = 12345;
    for (std::uint32_t i = 0; i < payload; ++i) file.push_back(static_cast<std::uint8_t>((state = state * 1103515245 + 12345) >> 24));
    file[12] = 0x78; // a valid zlib header, so the refusal comes from the data
    file[13] = 0x9C;
    const std::size_t before = inUse.load();
    peak = before;
    EXPECT_EQ(failureOf([&] { parseSivFile(file, "r.siv"); }).text, "File r.siv Decompression error.");
    EXPECT_LT(peak.load() - before, std::size_t{16} * payload + (std::size_t{1} << 20));
}

TEST(SivMemory, NoFileMakesTheLoaderHoldMoreThanAFixedMultipleOfItsSize) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> file;
    };
    std::vector<Case> cases;
    {
        // Zeros after a valid empty scene, as many as the 1032:1 limit of deflate allows.
        std::vector<std::uint8_t> stream = buildSivStream(SivFile{});
        stream.resize(64 << 20, 0);
        cases.push_back({"64 MB of zeros after an empty scene", tight(stream)});
    }
    {
        // Tracks of no keys: 28 bytes in the stream each, more in memory.
        SivFile file;
        file.tracks.assign(1 << 20, track(kSivTrackScale, 7, {}));
        cases.push_back({"a million empty tracks", tight(buildSivStream(file))});
    }
    {
        // The most meshes a scene may have, each one triangle: a draw call each.
        SivFile file;
        file.materials.push_back(material(1));
        for (std::int32_t m = 0; m < 131072; ++m) file.meshes.push_back(oneTriangle(m));
        cases.push_back({"131072 one-triangle meshes", tight(buildSivStream(file))});
    }
    {
        // One mesh of the most faces, all the same triangle: tiny compressed, and the mesh
        // library's adjacency and optimisation work on every face.
        SivFile file;
        file.materials.push_back(material(1));
        SivMesh mesh = oneTriangle(1);
        mesh.faces.assign(1048575, face(0, 1, 2));
        file.meshes.push_back(mesh);
        cases.push_back({"one mesh of 1048575 equal faces", tight(buildSivStream(file))});
    }
    {
        // Keys copied into as many curves as the bound allows: four meshes share one id.
        SivFile file;
        file.materials.push_back(material(1));
        for (int m = 0; m < 4; ++m) file.meshes.push_back(oneTriangle(1));
        file.tracks.push_back(track(kSivTrackPosition, 1, std::vector<SivKey>(1 << 20, key(1, {1, 2, 3}))));
        cases.push_back({"a million keys shared by four meshes", tight(buildSivStream(file))});
    }
    for (const Case& c : cases) {
        const std::size_t peakBytes = loadPeak(c.file);
        const std::size_t allowed = kBytesPerFileByte * c.file.size() + kFixedBytes;
        EXPECT_LE(peakBytes, allowed) << c.what << ": " << c.file.size() << " bytes of file, " << peakBytes
                                      << " bytes held at once (" << peakBytes / c.file.size() << " per file byte)";
        std::printf("%s: %zu bytes of file, peak %zu bytes (%.0f per file byte)\n", c.what, c.file.size(), peakBytes,
                    double(peakBytes) / double(c.file.size()));
    }
}
