// zamp against the raw OpenGL baseline on a draw-count scene (bench/draws), side by side:
// process CPU time and wall time per frame with nothing on screen (the camera looks away)
// and with the frame full, at 1, 2, 4 and 8 layers of 200 draws, in interleaved rounds
// (median over rounds), with the per-draw and per-vertex slopes of a straight-line fit.
// First it draws one frame with both and counts the pixels that differ.
//
//   frame_compare --zamp EXE --baseline EXE --siv FILE [--texture PNG] [--rounds N] [--json FILE]
//
// A scene whose materials name a texture (bench/draws/mixed.lua: data/checker.png) needs the
// picture: --texture puts it in each show's data folder and gives it to the baseline.
// CPU time is the whole process's, the renderer's threads included, so a busy machine
// shifts it less than wall time; the "thread" rows are each program's own thread, where a
// software rasteriser's worker threads do not count. zamp runs with its culling off
// (ZAMP_NO_CULLING=1): with the camera looking away it would otherwise skip every draw, and
// the comparison is of the cost of draws.
#include "platform/Platform.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kLayerCounts[] = {1, 2, 4, 8};
constexpr int kMeshesPerLayer = 200;
constexpr float kLayerOffset = 0.5f, kEndTime = 20;
constexpr float kPictureTime = 3;

// Both programs run with glibc's malloc thresholds fixed. Left dynamic, the threshold that a
// process's own allocations leave behind decides whether the rasteriser's per-frame scene
// memory is mapped and page-faulted afresh every frame: that alone moved full-frame figures
// by a factor of two, either way, from one draw count to the next.
constexpr const char* kSameAllocator =
    "GLIBC_TUNABLES=glibc.malloc.mmap_threshold=33554432:glibc.malloc.trim_threshold=1073741824 ";

struct View {
    const char* name;
    int camera;
    int framesAtOneLayer; // fewer at more layers, so every run takes about as long
};
constexpr View kViews[] = {{"nothing on screen", 1, 96}, {"full frame", 0, 24}};

struct Options {
    std::string zamp, baseline, siv, json, texture;
    int rounds = 5;
};

std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string run(const std::string& command) {
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) throw std::runtime_error("cannot run " + command);
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    if (pclose(pipe) != 0) throw std::runtime_error(command + " failed:\n" + out);
    return out;
}

// The number after `label` in the output.
double figure(const std::string& out, const std::string& label) {
    std::size_t at = out.find(label);
    if (at == std::string::npos) throw std::runtime_error("no \"" + label + "\" in:\n" + out);
    return std::strtod(out.c_str() + at + label.size(), nullptr);
}

std::string showFolder(const fs::path& root, const Options& o, int layers, int camera) {
    fs::path dir = root / ("layers" + std::to_string(layers) + "-camera" + std::to_string(camera));
    fs::create_directories(dir / "data");
    fs::copy_file(o.siv, dir / "data" / "draws.siv", fs::copy_options::overwrite_existing);
    if (!o.texture.empty())
        fs::copy_file(o.texture, dir / "data" / fs::path(o.texture).filename(), fs::copy_options::overwrite_existing);
    std::ofstream script(dir / "data" / "script.lua");
    script << "loadsiv(\"data/draws.siv\", \"draws\")\n"
              "enablefog()\nsetfogrange(30, 120)\nsetambientcolor(30, 30, 40)\n"
              "endtime("
           << kEndTime << ")\nfor i = 0, " << layers - 1 << " do\n  local l = layer(1, \"draws\", " << camera
           << ", i * " << kLayerOffset << ", i, 5, 6)\n  start(0, l) stop(" << kEndTime << ", l)\nend\n";
    return dir.string();
}

struct Timing {
    double cpu = 0, wall = 0, thread = 0;
};

struct Series {
    // [view][layer count] -> one timing per round
    std::vector<Timing> runs[2][4];
    Timing median(int view, int count) const {
        std::vector<double> cpu, wall, thread;
        for (const Timing& t : runs[view][count]) cpu.push_back(t.cpu), wall.push_back(t.wall), thread.push_back(t.thread);
        for (auto* v : {&cpu, &wall, &thread}) std::sort(v->begin(), v->end());
        return {cpu[cpu.size() / 2], wall[wall.size() / 2], thread[thread.size() / 2]};
    }
    // Least-squares slope of CPU milliseconds over draws, and the intercept.
    std::pair<double, double> fit(int view) const {
        double sx = 0, sy = 0, sxx = 0, sxy = 0;
        for (int c = 0; c < 4; ++c) {
            double x = kLayerCounts[c] * kMeshesPerLayer, y = median(view, c).cpu;
            sx += x, sy += y, sxx += x * x, sxy += x * y;
        }
        double slope = (4 * sxy - sx * sy) / (4 * sxx - sx * sx);
        return {slope, (sy - slope * sx) / 4};
    }
};

std::string textureOption(const Options& o) { return o.texture.empty() ? "" : " --texture " + quote(o.texture); }

Timing parseTiming(const std::string& out) {
    return {figure(out, "process cpu ms/frame mean "), figure(out, ", ms/frame mean "),
            figure(out, "player thread cpu ms/frame mean ")};
}

std::string pictureCheck(const Options& o, const fs::path& root) {
    const std::string show = showFolder(root, o, 8, 0);
    const fs::path zampDir = root / "picture-zamp", rawPng = root / "picture-raw.png";
    run("cd " + quote(show) + " && " + quote(o.zamp) + " --render " + quote(zampDir.string()) + " --at " +
        std::to_string(kPictureTime) + " .");
    run("cd " + quote(show) + " && " + quote(o.baseline) + " --layers 8 --camera 0 --offset " + std::to_string(kLayerOffset) + textureOption(o) +
        " --png " + quote(rawPng.string()) + " --at " + std::to_string(kPictureTime) + " " + quote(o.siv));
    auto files = zamp::openImageFiles();
    auto a = files->read((zampDir / "frame_000000.png").string()), b = files->read(rawPng.string());
    if (!a || !b || a->width != b->width || a->height != b->height) return "the pictures cannot be compared";
    long differing = 0;
    int largest = 0;
    for (std::size_t i = 0; i < a->pixels.size(); ++i) {
        if (a->pixels[i] == b->pixels[i]) continue;
        ++differing;
        for (int shift = 0; shift < 24; shift += 8)
            largest = std::max(largest, std::abs(int((a->pixels[i] >> shift) & 0xFF) - int((b->pixels[i] >> shift) & 0xFF)));
    }
    char text[160];
    std::snprintf(text, sizeof text, "%ld of %zu pixels differ (largest difference %d of 255)", differing,
                  a->pixels.size(), largest);
    return text;
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (i + 1 >= argc) throw std::runtime_error(a + " needs a value");
        std::string v = argv[++i];
        if (a == "--zamp") o.zamp = v;
        else if (a == "--baseline") o.baseline = v;
        else if (a == "--siv") o.siv = v;
        else if (a == "--json") o.json = v;
        else if (a == "--texture") o.texture = v;
        else if (a == "--rounds") o.rounds = std::max(1, std::atoi(v.c_str()));
        else throw std::runtime_error("unknown option " + a);
    }
    if (o.zamp.empty() || o.baseline.empty() || o.siv.empty()) throw std::runtime_error("--zamp, --baseline and --siv are needed");
    o.zamp = fs::absolute(o.zamp).string();
    o.baseline = fs::absolute(o.baseline).string();
    o.siv = fs::absolute(o.siv).string();
    if (!o.texture.empty()) o.texture = fs::absolute(o.texture).string();
    return o;
}

struct TempRoot {
    fs::path path = fs::temp_directory_path() / ("zamp-frame-compare-" + std::to_string(::getpid()));
    TempRoot() { fs::create_directories(path); }
    ~TempRoot() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

} // namespace

int main(int argc, char** argv) try {
    const Options o = parse(argc, argv);
    TempRoot root;
    const std::string picture = pictureCheck(o, root.path);
    std::printf("picture at t=%g, 8 layers, full frame: %s\n", double(kPictureTime), picture.c_str());

    Series zamp, raw;
    std::string renderer;
    double verticesPerDraw = 0, facesPerDraw = 0;
    for (int round = 0; round < o.rounds; ++round) {
        for (int v = 0; v < 2; ++v) {
            for (int c = 0; c < 4; ++c) {
                const int layers = kLayerCounts[c];
                const int frames = std::max(4, kViews[v].framesAtOneLayer / layers);
                const std::string show = showFolder(root.path, o, layers, kViews[v].camera);
                zamp.runs[v][c].push_back(parseTiming(
                    run(std::string(kSameAllocator) + "ZAMP_NO_CULLING=1 " + quote(o.zamp) + " --bench " + std::to_string(frames) + " " + quote(show))));
                // In the show's folder, where the scene's texture names lead.
                const std::string out = run("cd " + quote(show) + " && " + kSameAllocator + quote(o.baseline) + " --layers " + std::to_string(layers) + " --camera " +
                                            std::to_string(kViews[v].camera) + " --offset " +
                                            std::to_string(kLayerOffset) + textureOption(o) + " --end " + std::to_string(kEndTime) +
                                            " --frames " + std::to_string(frames) + " " + quote(o.siv));
                raw.runs[v][c].push_back(parseTiming(out));
                if (renderer.empty()) {
                    std::size_t at = out.find("renderer ") + 9;
                    renderer = out.substr(at, out.find('\n', at) - at);
                    verticesPerDraw = figure(out, "vertices/draw ");
                    facesPerDraw = figure(out, "faces/draw ");
                }
            }
        }
        std::fprintf(stderr, "round %d of %d done\n", round + 1, o.rounds);
    }
    std::printf("renderer %s; %g vertices and %g faces per draw; median of %d interleaved rounds\n", renderer.c_str(),
                verticesPerDraw, facesPerDraw, o.rounds);
    std::printf("%-7s %6s | %-29s | %-29s\n", "", "", "nothing on screen", "full frame");
    std::printf("%-7s %6s | %9s %9s %9s | %9s %9s %9s\n", "", "draws", "zamp", "raw GL", "ratio", "zamp", "raw GL", "ratio");
    auto printRows = [&](const char* unit, double Timing::*field) {
        for (int c = 0; c < 4; ++c) {
            std::printf("%-7s %6d |", unit, kLayerCounts[c] * kMeshesPerLayer);
            for (int v = 0; v < 2; ++v) {
                const double z = zamp.median(v, c).*field, r = raw.median(v, c).*field;
                std::printf(" %9.2f %9.2f %9.2f |", z, r, z / r);
            }
            std::printf("\n");
        }
    };
    printRows("cpu ms", &Timing::cpu);
    printRows("wall ms", &Timing::wall);
    printRows("thread", &Timing::thread); // the program's own thread: its work and the driver's on it
    for (int v = 0; v < 2; ++v) {
        auto [zs, zi] = zamp.fit(v);
        auto [rs, ri] = raw.fit(v);
        std::printf("%s, cpu slopes: per draw %.1f us (raw %.1f us), per vertex %.1f ns (raw %.1f ns), fixed %.2f ms "
                    "(raw %.2f ms)\n",
                    kViews[v].name, zs * 1e3, rs * 1e3, zs * 1e6 / verticesPerDraw, rs * 1e6 / verticesPerDraw, zi, ri);
    }
    const Timing zn = zamp.median(0, 3), rn = raw.median(0, 3), zf = zamp.median(1, 3), rf = raw.median(1, 3);
    std::printf("budgets at 1600 draws: nothing on screen %.2f (at most 1.25), full frame %.2f (at most 1.10); "
                "the programs' own threads alone: %.2f and %.2f\n",
                zn.cpu / rn.cpu, zf.cpu / rf.cpu, zn.thread / rn.thread, zf.thread / rf.thread);

    if (!o.json.empty()) {
        std::ofstream j(o.json);
        j << "{\n  \"renderer\": \"" << renderer << "\",\n  \"rounds\": " << o.rounds << ",\n  \"verticesPerDraw\": "
          << verticesPerDraw << ",\n  \"picture\": \"" << picture << "\",\n  \"draws\": [";
        for (int c = 0; c < 4; ++c) j << (c ? ", " : "") << kLayerCounts[c] * kMeshesPerLayer;
        j << "],\n";
        const char* keys[] = {"nothingOnScreen", "fullFrame"};
        for (int v = 0; v < 2; ++v) {
            j << "  \"" << keys[v] << "\": {\n";
            for (int side = 0; side < 2; ++side) {
                const Series& s = side ? raw : zamp;
                j << "    \"" << (side ? "raw" : "zamp") << "\": {\"cpuMs\": [";
                for (int c = 0; c < 4; ++c) j << (c ? ", " : "") << s.median(v, c).cpu;
                j << "], \"wallMs\": [";
                for (int c = 0; c < 4; ++c) j << (c ? ", " : "") << s.median(v, c).wall;
                auto [slope, intercept] = s.fit(v);
                j << "], \"perDrawUs\": " << slope * 1e3 << ", \"perVertexNs\": " << slope * 1e6 / verticesPerDraw
                  << ", \"fixedMs\": " << intercept << "},\n";
            }
            j << "    \"cpuRatio\": " << zamp.median(v, 3).cpu / raw.median(v, 3).cpu << "\n  }" << (v ? "\n" : ",\n");
        }
        j << "}\n";
        std::printf("results in %s\n", o.json.c_str());
    }
    return 0;
} catch (const std::exception& e) {
    std::fprintf(stderr, "frame_compare: %s\n", e.what());
    return 1;
}
