// fuzz-seeds OUT_DIR: writes the seed corpus of every fuzz target into OUT_DIR/<target>/
// (`make fuzz-seeds` writes fuzz/corpus). The seeds are small files of the kinds the tests
// make: scenes with a record of every kind, pictures of the five formats and hostile headers,
// and fixed pseudo-random inputs for the script and curve generators.
#include "FuzzSupport.h"
#include "GltfWriter.h"

#include "siv/SivWriter.h"
#include "support/PictureBytes.h"

#include <assimp/Exporter.hpp>
#include <assimp/Importer.hpp>
#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

using namespace zamp;

namespace {

void write(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string text(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

// A real baseline JPEG of 4 x 3 pixels, written by SDL2_image.
std::string smallJpeg() {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, 4, 3, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_FillRect(surface, nullptr, 0xFF4080C0);
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "zamp-seed.jpg";
    IMG_SaveJPG(surface, path.c_str(), 90);
    SDL_FreeSurface(surface);
    const std::string bytes = readFile(path);
    std::filesystem::remove(path);
    return bytes;
}

// A textured, lit quad on an arm that turns, seen by a camera: glTF and .glb (texture inside).
gltf::Document animatedQuad(bool embedded) {
    gltf::Document doc;
    gltf::Mesh quad;
    quad.name = "quad";
    quad.positions = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}};
    quad.uvs = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    quad.indices = {0, 1, 2, 0, 2, 3};
    quad.material = 0;
    doc.meshes = {quad};
    doc.materials = {{"paint", {0.2f, 0.4f, 0.6f, 1}, true, 0}};
    if (embedded) {
        const std::string png = test::pngPicture(2, 2, 0xFF336699);
        doc.images = {{"", std::vector<std::uint8_t>(png.begin(), png.end())}};
    } else {
        doc.images = {{"t.png", {}}};
    }
    doc.nodes = {{"arm", -1, -1, -1, {0, 0, 0}, {0, 0, 0, 1}, {1, 1, 1}, {1}},
                 {"hand", 0, -1, -1, {3, 0, 0}, {0, 0, 0, 1}, {1, 1, 1}, {}},
                 {"eye", -1, 0, -1, {0, 1, 10}, {0, 0, 0, 1}, {1, 1, 1}, {}},
                 {"lamp", -1, -1, 0, {1, 5, 2}, {0, 0, 0, 1}, {1, 1, 1}, {}}};
    doc.roots = {0, 2, 3};
    doc.cameras = {{0.9f, 4.0f / 3.0f, 0.1f}};
    doc.lights = {{"spot", {1, 0.5f, 0.25f}, 2}};
    doc.channels = {{0, "rotation", {0, 1}, {0, 0, 0, 1, 0, 0.7071f, 0, 0.7071f}},
                    {0, "translation", {0, 2}, {0, 0, 0, 0, 2, 0}},
                    {1, "scale", {0, 1}, {1, 1, 1, 2, 2, 2}}};
    return doc;
}

// The import target's seeds: the selector byte of each format (its index in the target's
// list of extensions), then a small model of that format.
void writeModelSeeds(const std::filesystem::path& folder) {
    const std::filesystem::path scratch = std::filesystem::temp_directory_path() / "zamp-seed-models";
    std::filesystem::create_directories(scratch);
    const auto seed = [&](const std::string& name, char selector, const std::string& bytes) {
        write(folder / name, std::string(1, selector) + bytes);
    };
    gltf::write(animatedQuad(false), (scratch / "quad.gltf").string());
    gltf::write(animatedQuad(true), (scratch / "quad.glb").string());
    seed("quad.gltf", 0, readFile(scratch / "quad.gltf"));
    seed("quad.glb", 1, readFile(scratch / "quad.glb"));
    const std::string obj = "mtllib box.mtl\nv -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\nvt 0 0\nvt 1 0\nvt 1 1\n"
                            "vt 0 1\nvn 0 0 1\nusemtl painted\nf 1/1/1 2/2/1 3/3/1 4/4/1\nl 1 3\n";
    seed("box.obj", 2, obj);
    // The other formats: the OBJ box written by Assimp's own exporters.
    std::ofstream(scratch / "box.obj", std::ios::binary) << obj;
    std::ofstream(scratch / "box.mtl", std::ios::binary) << "newmtl painted\nKd 0.8 0.2 0.1\nNs 20\nmap_Kd t.png\n";
    Assimp::Importer importer;
    importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE, aiPrimitiveType_POINT | aiPrimitiveType_LINE); // STL has only triangles
    const aiScene* box = importer.ReadFile((scratch / "box.obj").string(), aiProcess_Triangulate | aiProcess_SortByPType);
    Assimp::Exporter exporter;
    const struct {
        const char* format;
        const char* name;
        char selector;
    } exports[] = {{"3ds", "box.3ds", 3}, {"ply", "box.ply", 4}, {"stl", "box.stl", 5}, {"collada", "box.dae", 6},
                   {"fbxa", "box.fbx", 7}};
    for (const auto& e : exports) {
        const std::filesystem::path file = scratch / e.name;
        if (box && exporter.Export(box, e.format, file.string()) == AI_SUCCESS) {
            seed(e.name, e.selector, readFile(file));
        } else {
            std::fprintf(stderr, "fuzz-seeds: no %s seed (%s)\n", e.format, exporter.GetErrorString());
        }
    }
    std::filesystem::remove_all(scratch);
}

std::string randomBytes(std::mt19937& random, std::size_t count) {
    std::string out(count, '\0');
    for (char& c : out) c = static_cast<char>(random() & 0xFF);
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz-seeds OUT_DIR\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];

    for (int variant = 0; variant < 3; ++variant) {
        const SivFile scene = fuzz::seedScene(variant);
        write(out / "siv_loader_fuzz" / ("scene" + std::to_string(variant) + ".siv"), text(encodeSivFile(scene)));
        write(out / "siv_loader_fuzz" / ("scene" + std::to_string(variant) + ".stream"), text(buildSivStream(scene)));
    }
    write(out / "siv_loader_fuzz" / "empty.siv", text(encodeSivFile(SivFile{})));

    const std::filesystem::path pictures = out / "image_fuzz";
    write(pictures / "rgba.png", test::pngPicture(3, 2, 0x80FF8040));
    write(pictures / "rgba.bmp", test::bmpPicture(2, 2, 16));
    write(pictures / "one.gif", test::gifPicture(1, 1));
    write(pictures / "rgba.tga", test::tgaPicture(2, 2, 16));
    write(pictures / "small.jpg", smallJpeg());
    write(pictures / "huge-tga-header.tga", test::tgaPicture(23171, 23171, 64));
    write(pictures / "huge-png-header.png", test::pngHeaderOnly(16384, 16384));
    write(pictures / "huge-gif.gif", test::gifPicture(65535, 65535));
    write(pictures / "xpm.xpm", test::emptyColourXpm());
    write(pictures / "svg.svg", test::hugeSvg());

    writeModelSeeds(out / "siv_import_fuzz");

    std::mt19937 random(15);
    for (int i = 0; i < 8; ++i) {
        write(out / "script_fuzz" / ("script" + std::to_string(i)), randomBytes(random, 64 + 32 * i));
        write(out / "curve_fuzz" / ("curve" + std::to_string(i)), randomBytes(random, 32 + 48 * i));
    }
    return 0;
}
