#include "FuzzSupport.h"

#include "siv/SivWriter.h"
#include "support/PictureBytes.h"

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

SivVertex vertex(float x, float y, float z, float u, float v) {
    SivVertex out{};
    out.position = {x, y, z};
    out.normal = {0, 0, -1};
    out.u = u;
    out.v = v;
    return out;
}

SivMesh quad(std::int32_t objectId, std::int32_t material, float at) {
    SivMesh mesh;
    mesh.header.objectId = objectId;
    mesh.header.position = {at, 0, 0};
    mesh.header.rotation = {0, 0, 0, 1};
    mesh.vertices = {vertex(0, 0, 0, 0, 1), vertex(0, 1, 0, 0, 0), vertex(1, 1, 0, 1, 0), vertex(1, 0, 0, 1, 1)};
    mesh.faces = {{{0, 1, 2}, material}, {{0, 2, 3}, material}};
    return mesh;
}

SivMaterial material(float shade, std::int32_t textureId, std::uint8_t twoSided) {
    SivMaterial m{};
    m.ambient = {shade, shade, shade};
    m.diffuse = {shade, 0.5f, 0.25f};
    m.specular = {1, 1, 1};
    m.power = 8;
    m.textureId = textureId;
    m.twoSided = twoSided;
    return m;
}

SivTrackRecord track(std::int32_t kind, std::int32_t objectId, std::initializer_list<float> times) {
    SivTrackRecord t;
    t.header.kind = kind;
    t.header.objectId = objectId;
    for (float time : times) t.keys.push_back(SivKey{time, {time, 1, -5}, 1, 0.1f, 0.2f, 0.3f});
    return t;
}

SivCamera camera(std::int32_t eye, std::int32_t target) {
    SivCamera c{};
    c.position = {0, 0, -10};
    c.positionTrackId = eye;
    c.targetTrackId = target;
    return c;
}

SivLight light(std::int32_t kind) {
    SivLight l{};
    l.kind = kind;
    l.position = {1, 2, -3};
    l.direction = {0, 0, 1};
    l.color = {1, 0.5f, 0.25f};
    return l;
}

} // namespace

SivFile seedScene(int variant) {
    SivFile file;
    switch (variant) {
    case 0:
        file.meshes = {quad(1, 0, 0)};
        file.textures = {makeSivTextureEntry(3, "t.png")};
        file.materials = {material(1, 3, 0)};
        file.cameras = {camera(10, 11)};
        file.lights = {light(kSivLightPoint)};
        file.tracks = {track(kSivTrackPosition, 10, {0, 1, 2}), track(kSivTrackRotation, 1, {0, 2})};
        break;
    case 1:
        file.meshes = {quad(1, 0, -1), quad(2, 1, 1)};
        file.textures = {makeSivTextureEntry(3, ""), makeSivTextureEntry(4, "data/d.png")};
        file.materials = {material(0.5f, 3, 1), material(1, 4, 0)};
        file.cameras = {camera(10, 2), camera(20, 21)};
        file.lights = {light(kSivLightSpot), light(kSivLightDirectional), light(2)};
        file.tracks = {track(kSivTrackPosition, 21, {3, 1, 2}), track(kSivTrackPosition, 2, {0, 0.5f}),
                       track(kSivTrackPosition, 20, {-1, 4}), track(kSivTrackScale, 1, {0})};
        break;
    default: {
        SivMesh big = quad(5, 0, 0);
        while (big.faces.size() < 65535) big.faces.push_back(big.faces[big.faces.size() % 2]);
        file.meshes = {big};
        file.materials = {material(1, -1, 0)};
        file.cameras = {camera(7, 8)};
        file.tracks = {track(kSivTrackRotation, 5, {0, 1}), track(kSivTrackRotation, 5, {2})};
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
