// How the import's motion fitting grows with the number of keys: a node carried along a
// winding path of N keys by a turning parent (translation and rotation), written as glTF and
// imported in this
// process, for N = 500 to 4000. Fitting evaluates the player's curves and the source's motion
// at every probe; both find their key by bisection, so the time grows as N log N (it used to
// grow as N squared: 4,000 keys took over two minutes). Prints the CPU time of each import and
// the ratio of the largest to the smallest against N's own ratio.
//
// Built by `make bench` (bench/CMakeLists.txt), which runs it with the other benchmarks.
#include "GltfWriter.h"
#include "import/ImportCommand.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>

using namespace zamp;

namespace {

gltf::Document windingPath(int keys) {
    gltf::Document doc;
    doc.materials = {{"paint", {0.8f, 0.8f, 0.8f, 1}, false, -1}};
    gltf::Mesh m;
    m.name = "marker";
    m.positions = {{-0.5f, -0.5f, 0}, {0.5f, -0.5f, 0}, {0, 0.5f, 0}};
    m.indices = {0, 1, 2};
    m.material = 0;
    doc.meshes = {m};
    // The marker rides on a turning arm: its path curves between the keys, so the fit adds
    // keys of its own.
    doc.nodes = {{"arm", -1, -1, -1, {}, {0, 0, 0, 1}, {1, 1, 1}, {1}},
                 {"marker", 0, -1, -1, {3, 0, 0}, {0, 0, 0, 1}, {1, 1, 1}, {}}};
    doc.roots = {0};
    gltf::Channel move{1, "translation", {}, {}};
    gltf::Channel turn{0, "rotation", {}, {}};
    for (int k = 0; k < keys; ++k) {
        const float t = float(k) / 30; // 30 keys a second, as exporters bake them
        const float a = 0.05f * float(k);
        move.times.push_back(t);
        move.values.insert(move.values.end(), {3 + std::cos(a), 0.01f * float(k), std::sin(a)});
        turn.times.push_back(t);
        turn.values.insert(turn.values.end(), {0, std::sin(a / 2), 0, std::cos(a / 2)});
    }
    doc.channels = {move, turn};
    return doc;
}

double cpuSeconds() { return double(std::clock()) / CLOCKS_PER_SEC; }

} // namespace

int main() {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "zamp-import-fit-bench";
    std::filesystem::create_directories(dir);
    double first = 0, last = 0;
    const int counts[] = {500, 1000, 2000, 4000};
    for (int n : counts) {
        const std::string model = (dir / ("path" + std::to_string(n) + ".gltf")).string();
        gltf::write(windingPath(n), model);
        const double start = cpuSeconds();
        const auto imported = sivtool::importModel(model, {}, "", "");
        const double seconds = cpuSeconds() - start;
        std::size_t keys = 0;
        for (const SivTrackRecord& t : imported->model.file.tracks) keys += t.keys.size();
        std::printf("import of a %d-key path: %.3f s CPU, %zu keys written\n", n, seconds, keys);
        if (n == counts[0]) first = seconds;
        last = seconds;
    }
    std::printf("time 4000 keys / 500 keys: %.2f (N alone: 8.00; N log N: 10.7; N squared: 64)\n", last / first);
    std::filesystem::remove_all(dir);
    return 0;
}
