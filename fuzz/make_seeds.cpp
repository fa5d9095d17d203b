// fuzz-seeds OUT_DIR: writes the seed corpus of every fuzz target into OUT_DIR/<target>/
// (`make fuzz-seeds` writes fuzz/corpus). The seeds are small files of the kinds the tests
// make: scenes with a record of every kind, pictures of the five formats and hostile headers,
// and fixed pseudo-random inputs for the script and curve generators.
#include "FuzzSupport.h"

#include "siv/SivWriter.h"
#include "support/PictureBytes.h"

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

// A real baseline JPEG of 4 x 3 pixels, written by SDL2_image.
std::string smallJpeg() {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, 4, 3, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_FillRect(surface, nullptr, 0xFF4080C0);
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "zamp-seed.jpg";
    IMG_SaveJPG(surface, path.c_str(), 90);
    SDL_FreeSurface(surface);
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    std::filesystem::remove(path);
    return bytes;
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

    std::mt19937 random(15);
    for (int i = 0; i < 8; ++i) {
        write(out / "script_fuzz" / ("script" + std::to_string(i)), randomBytes(random, 64 + 32 * i));
        write(out / "curve_fuzz" / ("curve" + std::to_string(i)), randomBytes(random, 32 + 48 * i));
    }
    return 0;
}
