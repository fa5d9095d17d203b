// Loader speed on a large generated scene, in MB of SIV file per second of CPU time: the parse step alone
// (read, inflate, records) and the whole load (plus mesh building, optimisation and curves),
// measured with their baselines in interleaved rounds (ZAMP_BENCH_SIV_ROUNDS, default 9).
// The scene: 64 meshes of 32768 faces (a 128 x 128 grid each), 256 tracks of 512 keys.
// Then scenes of N one-triangle meshes with a track each, N up to 100000: the tracks are found
// through an index, so the load grows linearly with N (it used to grow with N squared).
// Then the SIV files named on the command line, each loaded in turn in the same number of
// rounds, so that two builds can be compared on real scenes: `siv_load_bench --target=rt
// --target=pip data/*.siv` in the example show's folder, where their textures are found
// (`--target=NAME`: a render target that the show's script makes, made first).
//
// Built by `make bench` (bench/CMakeLists.txt), which runs it with the other benchmarks.
// Two baselines: zlib's own inflate of the same payload (the parse step's ratio to it shows
// what the loader adds to the one unavoidable cost), and the floor of a whole load, that
// inflate plus meshoptimizer's vertex-cache and vertex-fetch passes over every mesh. The
// baseline inflates into memory it has just allocated, as a load must: into a buffer used
// before (also shown) it takes a third of the time, the rest being the kernel handing out
// and clearing fresh pages for the 100 MB.
#include "IdleDevice.h"

#include "platform/Platform.h"
#include "show/Scene.h"
#include "show/TextureRegistry.h"
#include "siv/SivParse.h"
#include "siv/SivWriter.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <meshoptimizer.h>
#include <string>
#include <vector>
#include <zlib.h>

#include <unistd.h>

using namespace zamp;

namespace {

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

// CPU time of this single-threaded process: other work on a shared machine shifts it less
// than wall time.
double cpuSeconds() { return double(std::clock()) / CLOCKS_PER_SEC; }

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

struct Spread {
    double median, low, high;
};

Spread spreadOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.front(), values.back()};
}

template <class Action>
double bestSeconds(int runs, Action action) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const double start = cpuSeconds();
        action();
        best = std::min(best, cpuSeconds() - start);
    }
    return best;
}

// The whole load of each file in `files`, in interleaved rounds: a round loads every file in
// turn, each as many times as makes 50 ms, so that small scenes are timed above the clock's
// grain. Textures stay in the registry after the first load, so the SIV work is what is timed.
void loadNamedFiles(const std::vector<std::string>& files, int rounds, Device& device, ImageFiles& imageFiles,
                    TextureRegistry& textures) {
    auto load = [&](const std::string& file) {
        SceneList scenes;
        scenes.loadSiv(device, imageFiles, textures, file, "file");
    };
    std::vector<int> repeats;
    for (const std::string& file : files) {
        load(file);
        const double once = std::max(1e-6, bestSeconds(1, [&] { load(file); }));
        repeats.push_back(std::max(1, int(0.05 / once)));
    }
    std::vector<std::vector<double>> seconds(files.size());
    for (int round = 0; round < rounds; ++round)
        for (std::size_t i = 0; i < files.size(); ++i) {
            const double start = cpuSeconds();
            for (int r = 0; r < repeats[i]; ++r) load(files[i]);
            seconds[i].push_back((cpuSeconds() - start) / repeats[i]);
        }
    for (std::size_t i = 0; i < files.size(); ++i) {
        const Spread s = spreadOf(seconds[i]);
        std::printf("%-40s %8.3f ms [%.3f, %.3f]  (%d rounds of %d loads)\n", files[i].c_str(), s.median * 1e3,
                    s.low * 1e3, s.high * 1e3, rounds, repeats[i]);
    }
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> files, targets;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.rfind("--target=", 0) == 0)
            targets.push_back(argument.substr(9));
        else
            files.push_back(argument);
    }
    // A name of this run's own: runs side by side must not remove each other's file.
    const std::string path =
        (std::filesystem::temp_directory_path() / ("zamp-siv-bench-" + std::to_string(::getpid()) + ".siv")).string();
    const std::vector<std::uint8_t> bytes = encodeSivFile(largeScene());
    writeBinaryFile(path, bytes);
    std::uint32_t inflated;
    std::memcpy(&inflated, bytes.data() + 4, 4);
    const double fileMb = double(bytes.size()) / 1e6;
    std::printf("file %.2f MB (inflated %.2f MB)\n", fileMb, inflated / 1e6);

    std::vector<Bytef> out(inflated);
    const SivFile scene = largeScene();
    bench::IdleDevice device;
    const auto imageFiles = openImageFiles();
    TextureRegistry textures;
    for (const std::string& target : targets) textures.createRenderTarget(device, target, 256, 256);

    // The four measures are taken in rounds, one after the other in each, so that a busy spell
    // of a shared machine falls on all of them alike; the ratios are taken within each round.
    const int rounds = std::max(3, std::atoi(std::getenv("ZAMP_BENCH_SIV_ROUNDS") ? std::getenv("ZAMP_BENCH_SIV_ROUNDS") : "9"));
    std::vector<double> warmInflates, inflates, parses, optimises, loads, parseRatio, loadRatio, floorRatio;
    for (int round = 0; round < rounds; ++round) {
        double start = cpuSeconds();
        uLongf length = inflated;
        uncompress(out.data(), &length, bytes.data() + 12, uLong(bytes.size() - 12));
        warmInflates.push_back(cpuSeconds() - start);

        start = cpuSeconds();
        {
            const auto fresh = std::make_unique_for_overwrite<Bytef[]>(inflated);
            length = inflated;
            uncompress(fresh.get(), &length, bytes.data() + 12, uLong(bytes.size() - 12));
        }
        inflates.push_back(cpuSeconds() - start);

        start = cpuSeconds();
        readSivFile(path);
        parses.push_back(cpuSeconds() - start);

        // The optimisation passes alone (the copies they work on are not timed), on the meshes
        // as the file holds them.
        double seconds = 0;
        for (const SivMesh& mesh : scene.meshes) {
            std::vector<std::uint32_t> indices;
            indices.reserve(mesh.faces.size() * 3);
            for (const SivFace& f : mesh.faces)
                for (std::int32_t i : f.indices) indices.push_back(std::uint32_t(i));
            std::vector<MeshVertex> vertices;
            vertices.reserve(mesh.vertices.size());
            for (const SivVertex& v : mesh.vertices) vertices.push_back(MeshVertex{v.position, v.normal, v.u, v.v});
            const double begin = cpuSeconds();
            meshopt_optimizeVertexCache(indices.data(), indices.data(), indices.size(), vertices.size());
            meshopt_optimizeVertexFetch(vertices.data(), indices.data(), indices.size(), vertices.data(),
                                        vertices.size(), sizeof(MeshVertex));
            seconds += cpuSeconds() - begin;
        }
        optimises.push_back(seconds);

        start = cpuSeconds();
        {
            SceneList scenes;
            scenes.loadSiv(device, *imageFiles, textures, path, "bench");
        }
        loads.push_back(cpuSeconds() - start);

        parseRatio.push_back(parses.back() / inflates.back());
        loadRatio.push_back(loads.back() / inflates.back());
        floorRatio.push_back(loads.back() / (inflates.back() + optimises.back()));
    }
    const Spread warm = spreadOf(warmInflates), inflate = spreadOf(inflates), parse = spreadOf(parses), optimise = spreadOf(optimises),
                 load = spreadOf(loads);
    std::printf("%d interleaved rounds; medians, with the lowest and highest round in brackets\n", rounds);
    std::printf("zlib inflate:%7.1f ms [%.1f, %.1f]  (baseline: into fresh memory; into a buffer used before "
                "%.1f ms [%.1f, %.1f])\n",
                inflate.median * 1e3, inflate.low * 1e3, inflate.high * 1e3, warm.median * 1e3, warm.low * 1e3,
                warm.high * 1e3);
    std::printf("parse step:  %7.1f ms [%.1f, %.1f]  %7.1f MB/s of file  %7.1f MB/s inflated\n", parse.median * 1e3,
                parse.low * 1e3, parse.high * 1e3, fileMb / parse.median, inflated / 1e6 / parse.median);
    std::printf("floor:       %7.1f ms  (inflate + meshopt vertex cache and fetch %.1f ms [%.1f, %.1f])\n",
                (inflate.median + optimise.median) * 1e3, optimise.median * 1e3, optimise.low * 1e3,
                optimise.high * 1e3);
    std::printf("whole load:  %7.1f ms [%.1f, %.1f]  %7.1f MB/s of file  %7.1f MB/s inflated\n", load.median * 1e3,
                load.low * 1e3, load.high * 1e3, fileMb / load.median, inflated / 1e6 / load.median);
    const Spread p = spreadOf(parseRatio), l = spreadOf(loadRatio), f = spreadOf(floorRatio);
    std::printf("ratios (median of the rounds' own [lowest, highest]): parse / inflate %.2f [%.2f, %.2f], whole load / "
                "inflate %.2f [%.2f, %.2f], whole load / floor %.2f [%.2f, %.2f] (at most 1.3)\n",
                p.median, p.low, p.high, l.median, l.low, l.high, f.median, f.low, f.high);

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
    loadNamedFiles(files, rounds, device, *imageFiles, textures);
    return 0;
}
