// Loader speed on a large generated scene, in MB of SIV file per second: the parse step alone
// (read, inflate, records) and the whole load (plus mesh building, optimisation and curves).
// The scene: 64 meshes of 32768 faces (a 128 x 128 grid each), 256 tracks of 512 keys.
// Then scenes of N one-triangle meshes with a track each, N up to 100000: the tracks are found
// through an index, so the load grows linearly with N (it used to grow with N squared).
//
// Built by `make bench` (bench/CMakeLists.txt), which runs it with the other benchmarks.
// The baseline is zlib's own inflate of the same payload: the parse step's ratio to it shows
// what the loader adds to the one unavoidable cost.
#include "platform/Platform.h"
#include "show/Scene.h"
#include "show/TextureRegistry.h"
#include "siv/SivParse.h"
#include "siv/SivWriter.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>
#include <zlib.h>

using namespace zamp;

namespace {

// The loader never draws; textures are not used by this scene.
class IdleDevice : public Device {
public:
    void clear(DWORD, D3DCOLOR, float, DWORD) override {}
    bool beginScene() override { return true; }
    void endScene() override {}
    void present() override {}
    void setRenderState(D3DRENDERSTATETYPE, DWORD) override {}
    DWORD renderState(D3DRENDERSTATETYPE) const override { return 0; }
    void setTransform(DWORD, const Matrix&) override {}
    const Matrix& transform(DWORD) const override { return identity_; }
    bool setLight(DWORD, const Light&) override { return true; }
    void lightEnable(DWORD, bool) override {}
    void setMaterial(const Material&) override {}
    void setTexture(DWORD, Texture*) override {}
    void setTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) override {}
    bool setRenderTarget(DWORD, Surface*) override { return false; }
    Surface* renderTarget(DWORD) override { return nullptr; }
    std::unique_ptr<Texture> createTexture(int, int, DWORD, D3DFORMAT) override { return nullptr; }
    void drawSubset(const Mesh&, DWORD) override {}
    RgbImage readRenderTarget() override { return {}; }
    void finish() override {}
    Counters counters() const override { return {}; }

private:
    Matrix identity_ = Matrix::identity();
};

SivFile largeScene() {
    SivFile file;
    constexpr int kGrid = 128;
    SivMaterial material{};
    material.diffuse = {1, 1, 1};
    material.textureId = -1;
    file.materials.push_back(material);
    for (int m = 0; m < 64; ++m) {
        SivMesh mesh;
        mesh.header.objectId = m;
        mesh.header.rotation = {0, 0, 0, 1};
        for (int y = 0; y <= kGrid; ++y)
            for (int x = 0; x <= kGrid; ++x) {
                SivVertex v{};
                // A wavy surface, so the data does not deflate to nothing.
                v.position = {float(x), float(y), 0.1f * float((x * 7 + y * 13 + m) % 17)};
                v.normal = {0, 0, -1};
                v.u = float(x) / kGrid;
                v.v = float(y) / kGrid;
                mesh.vertices.push_back(v);
            }
        for (int y = 0; y < kGrid; ++y)
            for (int x = 0; x < kGrid; ++x) {
                const int a = y * (kGrid + 1) + x, b = a + kGrid + 1;
                mesh.faces.push_back(SivFace{{a, b, b + 1}, 0});
                mesh.faces.push_back(SivFace{{a, b + 1, a + 1}, 0});
            }
        file.meshes.push_back(std::move(mesh));
    }
    for (int t = 0; t < 256; ++t) {
        SivTrackRecord track;
        track.header.kind = t % 2 ? kSivTrackRotation : kSivTrackPosition;
        track.header.objectId = t / 2;
        for (int k = 0; k < 512; ++k)
            track.keys.push_back(SivKey{float(k) * 0.1f, {float(k), float(t), float(k % 7)}, 1, 0, 0, 0});
        file.tracks.push_back(std::move(track));
    }
    return file;
}

// N one-triangle meshes, each with its own position track of two keys.
SivFile manyMeshes(int count) {
    SivFile file;
    SivMaterial material{};
    material.textureId = -1;
    file.materials.push_back(material);
    for (int m = 0; m < count; ++m) {
        SivMesh mesh;
        mesh.header.objectId = m;
        mesh.header.rotation = {0, 0, 0, 1};
        mesh.vertices.resize(3);
        mesh.vertices[1].position = {float(m), 1, 0};
        mesh.vertices[2].position = {1, float(m), 0};
        mesh.faces.push_back(SivFace{{0, 1, 2}, 0});
        file.meshes.push_back(std::move(mesh));
        SivTrackRecord track;
        track.header.kind = kSivTrackPosition;
        track.header.objectId = count - 1 - m; // not in mesh order
        track.keys = {SivKey{0, {0, 0, 0}, 0, 0, 0, 0}, SivKey{1, {1, 1, 1}, 0, 0, 0, 0}};
        file.tracks.push_back(std::move(track));
    }
    return file;
}

template <class Action>
double bestSeconds(int runs, Action action) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        action();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

} // namespace

int main() {
    const std::string path = (std::filesystem::temp_directory_path() / "zamp-siv-bench.siv").string();
    const std::vector<std::uint8_t> bytes = encodeSivFile(largeScene());
    writeBinaryFile(path, bytes);
    std::uint32_t inflated;
    std::memcpy(&inflated, bytes.data() + 4, 4);
    const double fileMb = double(bytes.size()) / 1e6;
    std::printf("file %.2f MB (inflated %.2f MB)\n", fileMb, inflated / 1e6);

    std::vector<Bytef> out(inflated);
    const double inflate = bestSeconds(5, [&] {
        uLongf length = inflated;
        uncompress(out.data(), &length, bytes.data() + 12, uLong(bytes.size() - 12));
    });
    std::printf("zlib inflate:%7.1f ms  (baseline)\n", inflate * 1e3);

    const double parse = bestSeconds(5, [&] { readSivFile(path); });
    std::printf("parse step:  %7.1f ms  %7.1f MB/s of file  %7.1f MB/s inflated\n", parse * 1e3, fileMb / parse,
                inflated / 1e6 / parse);

    IdleDevice device;
    const auto imageFiles = openImageFiles();
    TextureRegistry textures;
    const double load = bestSeconds(3, [&] {
        SceneList scenes;
        scenes.loadSiv(device, *imageFiles, textures, path, "bench");
    });
    std::printf("whole load:  %7.1f ms  %7.1f MB/s of file  %7.1f MB/s inflated\n", load * 1e3, fileMb / load,
                inflated / 1e6 / load);
    std::printf("ratios: parse / inflate %.2f, whole load / inflate %.2f\n", parse / inflate, load / inflate);

    // Many meshes, a track each: the time per mesh stays flat as N grows.
    double smallest = 0;
    for (int count : {12500, 25000, 50000, 100000}) {
        writeBinaryFile(path, encodeSivFile(manyMeshes(count)));
        const double seconds = bestSeconds(1, [&] {
            SceneList scenes;
            scenes.loadSiv(device, *imageFiles, textures, path, "many");
        });
        if (smallest == 0) smallest = seconds;
        std::printf("%6d meshes and tracks: %7.1f ms  %5.2f us a mesh  (%.1f times the 12500 load for %d times "
                    "the meshes)\n",
                    count, seconds * 1e3, seconds * 1e6 / count, seconds / smallest, count / 12500);
    }
    std::filesystem::remove(path);
    return 0;
}
