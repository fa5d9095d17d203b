#include "FuzzSupport.h"

#include "siv/SivWriter.h"
#include "support/PictureBytes.h"
#include "support/SivRecords.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdlib.h>

namespace zamp::fuzz {

namespace {

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// A track of keys at `times`, with values and shapes that move.
SivTrackRecord movingTrack(std::int32_t kind, std::int32_t objectId, std::initializer_list<float> times) {
    std::vector<SivKey> keys;
    for (float time : times) keys.push_back(sivtest::key(time, {time, 1, -5}, 1, 0.1f, 0.2f, 0.3f));
    return sivtest::track(kind, objectId, keys);
}

} // namespace

SivFile seedScene(int variant) {
    using namespace sivtest;
    SivFile file;
    switch (variant) {
    case 0:
        file = smallScene();
        file.textures = {makeSivTextureEntry(5, "t.png")};
        file.tracks.push_back(movingTrack(kSivTrackRotation, 1, {0, 2}));
        break;
    case 1:
        file.meshes = {quadMesh(1, 0), quadMesh(2, 1)};
        file.textures = {makeSivTextureEntry(3, ""), makeSivTextureEntry(4, "data/d.png")};
        file.materials = {material(0.5f, 3, 1), material(1, 4)};
        file.cameras = {camera({0, 0, -10}, {}, 10, 2), camera({0, 0, -10}, {}, 20, 21)};
        file.lights = {light(kSivLightSpot), light(kSivLightDirectional), light(2)};
        file.tracks = {movingTrack(kSivTrackPosition, 21, {3, 1, 2}), movingTrack(kSivTrackPosition, 2, {0, 0.5f}),
                       movingTrack(kSivTrackPosition, 20, {-1, 4}), movingTrack(kSivTrackScale, 1, {0})};
        break;
    default: {
        SivMesh big = quadMesh(5);
        while (big.faces.size() < 65535) big.faces.push_back(big.faces[big.faces.size() % 2]);
        file.meshes = {big};
        file.materials = {material(1)};
        file.cameras = {camera({0, 0, -10}, {}, 7, 8)};
        file.tracks = {movingTrack(kSivTrackRotation, 5, {0, 1}), movingTrack(kSivTrackRotation, 5, {2})};
        break;
    }
    }
    return file;
}

namespace {

// The scratch folder, removed when the run ends normally (a crashed run leaves it for a look).
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zamp-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) finding("no scratch folder");
        path = pattern;
        std::filesystem::current_path(path);
        std::filesystem::create_directory("data");
        writeFile("t.png", test::pngPicture(2, 2, 0xFF336699));
        writeFile("data/d.png", test::pngPicture(3, 1, 0x80FFFFFF));
        writeFile("b.bmp", test::bmpPicture(2, 2, 16));
        writeFile("empty.png", "");
        writeBinaryFile("s.siv", encodeSivFile(seedScene(0)));
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string path;
};

} // namespace

const std::string& enterScratchFolder() {
    static const ScratchFolder folder;
    return folder.path;
}

void finding(const std::string& what) {
    std::fprintf(stderr, "FINDING: %s\n", what.c_str());
    std::abort();
}

} // namespace zamp::fuzz
