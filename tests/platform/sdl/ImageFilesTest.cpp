// Pictures read by the desktop back end: PNG through libpng must give exactly the pixels that
// SDL2_image gave before (every colour type, bit depth, transparency and interlacing), and the
// other four formats still go through SDL2_image's decoders.
#include "core/Error.h"
#include "platform/Platform.h"
#include "support/PictureBytes.h"
#include "support/TestSupport.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

namespace zamp {
namespace {

struct PngKind {
    const char* what;
    int colourType;
    int bitDepth;
    bool interlaced;
    bool transparency; // a tRNS chunk
};

// A w x h picture of `kind` whose samples run through many values, written with libpng.
void writePng(const std::filesystem::path& path, const PngKind& kind, int w, int h) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, out);
    png_set_IHDR(png, info, w, h, kind.bitDepth, kind.colourType,
                 kind.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    const int entries = kind.colourType == PNG_COLOR_TYPE_PALETTE ? 1 << kind.bitDepth : 0;
    std::vector<png_color> palette(static_cast<std::size_t>(entries));
    std::vector<png_byte> alphas(static_cast<std::size_t>(entries));
    for (int i = 0; i < entries; ++i) {
        palette[i] = {static_cast<png_byte>(i * 37), static_cast<png_byte>(255 - i * 11), static_cast<png_byte>(i * 5)};
        alphas[i] = static_cast<png_byte>(i * 97);
    }
    if (entries) png_set_PLTE(png, info, palette.data(), entries);
    if (kind.transparency) {
        png_color_16 key{};
        key.gray = 1;
        key.red = 3, key.green = 5, key.blue = 7;
        png_set_tRNS(png, info, entries ? alphas.data() : nullptr, entries, entries ? nullptr : &key);
    }
    png_write_info(png, info);
    const int channels = png_get_channels(png, info);
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    std::vector<std::vector<png_byte>> rows(static_cast<std::size_t>(h), std::vector<png_byte>(rowBytes));
    for (int y = 0; y < h; ++y)
        for (std::size_t b = 0; b < rowBytes; ++b) rows[y][b] = static_cast<png_byte>((y * 53 + b * 29 + channels) & 0xFF);
    // Some samples on the transparent colour of a colour key.
    if (kind.transparency && !entries && kind.bitDepth == 8) {
        if (kind.colourType == PNG_COLOR_TYPE_RGB) rows[0][0] = 3, rows[0][1] = 5, rows[0][2] = 7;
        if (kind.colourType == PNG_COLOR_TYPE_GRAY) rows[0][0] = 1;
    }
    std::vector<png_bytep> pointers;
    for (auto& row : rows) pointers.push_back(row.data());
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(out);
}

// What SDL2_image made of the file, converted to 32-bit ARGB as the player used to convert it.
std::vector<std::uint32_t> sdlImagePixels(const std::filesystem::path& path, int& w, int& h) {
    SDL_Surface* loaded = IMG_Load(path.c_str());
    if (!loaded) return {};
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    w = argb->w;
    h = argb->h;
    std::vector<std::uint32_t> pixels(std::size_t(w) * h);
    for (int y = 0; y < h; ++y)
        std::memcpy(&pixels[std::size_t(y) * w], static_cast<const char*>(argb->pixels) + y * argb->pitch, std::size_t(w) * 4);
    SDL_FreeSurface(argb);
    return pixels;
}

void expectSameAsSdlImage(ImageFiles& files, const std::filesystem::path& path, const char* what) {
    int w = 0, h = 0;
    const std::vector<std::uint32_t> expected = sdlImagePixels(path, w, h);
    ASSERT_FALSE(expected.empty()) << what << ": SDL2_image cannot read it";
    const ImageLoad load = files.load(path.string());
    ASSERT_TRUE(load.image) << what << ": " << load.problem;
    EXPECT_EQ(load.image->width, w) << what;
    EXPECT_EQ(load.image->height, h) << what;
    ASSERT_EQ(load.image->pixels.size(), expected.size()) << what;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (load.image->pixels[i] != expected[i]) {
            ADD_FAILURE() << what << ": pixel " << i << " is " << std::hex << load.image->pixels[i] << ", SDL2_image "
                          << expected[i];
            break;
        }
    }
}

} // namespace

TEST(ImageFiles, PngsGiveThePixelsSdlImageGave) {
    const PngKind kinds[] = {
        {"RGB 8", PNG_COLOR_TYPE_RGB, 8, false, false},
        {"RGBA 8", PNG_COLOR_TYPE_RGBA, 8, false, false},
        {"grey 8", PNG_COLOR_TYPE_GRAY, 8, false, false},
        {"grey 1", PNG_COLOR_TYPE_GRAY, 1, false, false},
        {"grey 2", PNG_COLOR_TYPE_GRAY, 2, false, false},
        {"grey 4", PNG_COLOR_TYPE_GRAY, 4, false, false},
        {"grey and alpha 8", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, false},
        {"palette 8 with alphas", PNG_COLOR_TYPE_PALETTE, 8, false, true},
        {"palette 4", PNG_COLOR_TYPE_PALETTE, 4, false, false},
        {"palette 2 with alphas", PNG_COLOR_TYPE_PALETTE, 2, false, true},
        {"RGB 16", PNG_COLOR_TYPE_RGB, 16, false, false},
        {"RGBA 16", PNG_COLOR_TYPE_RGBA, 16, false, false},
        {"grey 16", PNG_COLOR_TYPE_GRAY, 16, false, false},
        {"grey and alpha 16", PNG_COLOR_TYPE_GRAY_ALPHA, 16, false, false},
        {"RGB 8 with a colour key", PNG_COLOR_TYPE_RGB, 8, false, true},
        {"RGBA 8 interlaced", PNG_COLOR_TYPE_RGBA, 8, true, false},
        {"palette 8 interlaced", PNG_COLOR_TYPE_PALETTE, 8, true, false},
    };
    test::TempDir dir;
    auto files = openImageFiles();
    for (const PngKind& kind : kinds) {
        const auto path = dir.path() / "kind.png";
        writePng(path, kind, 13, 7);
        expectSameAsSdlImage(*files, path, kind.what);
    }
}

TEST(ImageFiles, AGreyPngWithAColourKeyIsTransparentWhereTheKeyIs) {
    // SDL2_image 2.6 makes a 16-bit RGB surface of the grey and alpha bytes here, so its
    // pixels are no reference: the key's grey is transparent, every other grey opaque.
    test::TempDir dir;
    const auto path = dir.path() / "key.png";
    writePng(path, {"grey 8 with a colour key", PNG_COLOR_TYPE_GRAY, 8, false, true}, 13, 7);
    const ImageLoad load = openImageFiles()->load(path.string());
    ASSERT_TRUE(load.image) << load.problem;
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x) {
            const std::uint32_t grey = y == 0 && x == 0 ? 1 : (y * 53 + x * 29 + 1) & 0xFF;
            const std::uint32_t expected = (grey == 1 ? 0u : 0xFF000000u) | grey * 0x010101u;
            EXPECT_EQ(load.image->pixels[std::size_t(y) * 13 + x], expected) << x << "," << y;
        }
}

TEST(ImageFiles, GifsGiveThePixelsSdlImageGave) {
    // GIFs are decoded by the player's own reader now (SDL2_image's could write over the heap):
    // sound files must read exactly as before. Pixels run through every index, in long runs
    // and short, so that the LZW table fills, widens its codes to 12 bits and is cleared.
    struct Kind {
        const char* what;
        test::GifFrame frame;
    };
    auto pattern = [](int w, int h, int colours) {
        std::vector<std::uint8_t> out(std::size_t(w) * h);
        for (std::size_t i = 0; i < out.size(); ++i) out[i] = std::uint8_t((i / 7 + (i * i) % 13) % colours);
        return out;
    };
    std::vector<Kind> kinds;
    for (int bits : {2, 4, 8}) {
        const int colours = 1 << bits;
        test::GifFrame f;
        f.width = 61, f.height = 47, f.minimumBits = bits, f.globalColours = colours;
        f.indices = pattern(61, 47, colours);
        kinds.push_back({"global table", f});
        f.interlaced = true;
        kinds.push_back({"interlaced", f});
        f.interlaced = false, f.globalColours = 0, f.localColours = colours;
        kinds.push_back({"local table", f});
        f.transparent = colours - 1;
        kinds.push_back({"local table, transparent index", f});
        f.localColours = 0;
        kinds.push_back({"no table at all", f});
    }
    test::GifFrame big;
    big.width = 300, big.height = 200, big.indices = pattern(300, 200, 256);
    kinds.push_back({"a table cleared when full", big});
    test::GifFrame few;
    few.width = 9, few.height = 5, few.minimumBits = 4, few.globalColours = 4, few.indices = pattern(9, 5, 16);
    kinds.push_back({"indices past the table", few});

    test::TempDir dir;
    auto files = openImageFiles();
    for (const Kind& kind : kinds) {
        const auto path = dir.path() / "kind.gif";
        std::ofstream(path, std::ios::binary) << test::gifPicture(kind.frame);
        expectSameAsSdlImage(*files, path, kind.what);
    }

    // Interlaced frames of fewer than five rows: SDL2_image stopped after the first row and
    // left the others at index 0; every row is read now, as in the same frame not interlaced.
    for (int height : {1, 2, 3, 4, 5}) {
        test::GifFrame frame;
        frame.width = 3, frame.height = height, frame.indices = pattern(3, height, 256);
        std::ofstream(dir.path() / "plain.gif", std::ios::binary) << test::gifPicture(frame);
        frame.interlaced = true;
        std::ofstream(dir.path() / "interlaced.gif", std::ios::binary) << test::gifPicture(frame);
        const ImageLoad plain = files->load((dir.path() / "plain.gif").string());
        const ImageLoad interlaced = files->load((dir.path() / "interlaced.gif").string());
        ASSERT_TRUE(plain.image && interlaced.image) << height;
        EXPECT_EQ(interlaced.image->pixels, plain.image->pixels) << height << " rows";
    }
}

TEST(ImageFiles, AGifWhoseCodesWouldMakeATableCycleReadsSafely) {
    // Found by fuzzing (image_fuzz, then SDL2_image's GIF decoder compiled with AddressSanitizer):
    // these 306 bytes make SDL2_image 2.6 follow a cycle in its LZW table and write past its
    // 8192-entry stack (heap-buffer-overflow, IMG_gif.c:579), which under the fuzzer freed a
    // wild pointer. The player's own reader follows prefixes to older codes only.
    static const char kBytes[] =
        "\x47\x49\x46\x38\x39\x61\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xFF\xC9\xC9\xC9\xC9\xC9\xC9\xC9"
        "\xC9\xC9\xC9\xC9\x47\x49\x46\x38\x39\x61\x01\x47\x49\x46\x38\x39\x61\x01\x00\x01\x00\x00\x00\x80"
        "\x01\x00\x00\x00\x00\x00\x00\xFF\x60\xFF\x1F\x2C\x02\x61\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00"
        "\x00\x00\x00\x00\x00\x00\x80\x00\xFF\xFF\x1F\x2C\x02\x00\x01\xFB\x00\x00\x00\x00\x00\x00\x00\x47"
        "\x49\x00\x00\x00\x00\x00\x02\x00\x00\x2C\xD3\x00\xF2\x00\x01\x00\x01\x01\x00\x00\x0E\x00\xD3\x00"
        "\x02\xEE\xB3\xB4\x4B\x01\x00\x00\xFF\xFF\x1F\x2C\x02\x00\x01\x47\x49\x00\x00\x00\x00\x00\x02\x03"
        "\x00\x00\x00\x00\x00\x00\x00\x00\x01\x01\x00\x00\x00\x00\x00\x00\x02\x00\x00\x2C\xD3\x00\xF2\x00"
        "\x01\x00\x01\x01\x00\x00\x0A\x00\x00\x00\x00\x02\x4C\x4B\x4B\x01\x00\x00\xFF\xFF\x1F\x2C\x02\x00"
        "\x01\x47\x49\x00\x01\x00\x00\x00\x00\x00\x0A\x00\xFE\xFB\x00\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9"
        "\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9"
        "\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9"
        "\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9"
        "\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xC9\xFF\xFF\x21\xF9\x4B\x4B\x4B\x83\x3B";
    test::TempDir dir;
    std::ofstream(dir.path() / "cycle.gif", std::ios::binary).write(kBytes, sizeof kBytes - 1);
    const ImageLoad load = openImageFiles()->load((dir.path() / "cycle.gif").string());
    // Its first frame has no width: damaged, and said so (SDL2_image went on to the later
    // frames, where the cycle is).
    EXPECT_FALSE(load.image);
    EXPECT_EQ(load.problem, "is a damaged GIF picture (its first frame cannot be read)");
}

TEST(ImageFiles, NoSingleSdlAllocationMayTakeMoreThanTheLargestPicture) {
    // SDL2_image's decoders allocate through SDL and trust sizes the header check may not see:
    // once image files are open, SDL refuses any one allocation above 256 MB and a margin.
    auto files = openImageFiles();
    const std::size_t largest = 4ull * 8192 * 8192 + (std::size_t{16} << 20);
    void* fits = SDL_malloc(1 << 20);
    EXPECT_NE(fits, nullptr);
    EXPECT_EQ(SDL_malloc(largest + 1), nullptr);
    EXPECT_EQ(SDL_calloc(largest / 2 + 1, 2), nullptr);
    EXPECT_EQ(SDL_realloc(fits, std::size_t{3} << 30), nullptr);
    SDL_free(fits);
}

TEST(ImageFiles, TheOtherFormatsStillDecodeByTheirOwnBytesNotTheirNames) {
    test::TempDir dir;
    auto files = openImageFiles();
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, 5, 3, 32, SDL_PIXELFORMAT_ARGB8888);
    for (int i = 0; i < 15; ++i) static_cast<std::uint32_t*>(surface->pixels)[i] = 0xFF000000u | (i * 0x110F07u);
    SDL_SaveBMP(surface, (dir.path() / "b.bmp").c_str());
    IMG_SaveJPG(surface, (dir.path() / "j.jpg").c_str(), 90);
    SDL_FreeSurface(surface);
    dir.write("g.gif", test::gifPicture(1, 1));
    dir.write("t.tga", test::tgaPicture(2, 2, 16));
    for (const char* name : {"b.bmp", "j.jpg", "g.gif", "t.tga"}) {
        expectSameAsSdlImage(*files, dir.path() / name, name);
        // The name does not decide: the same bytes under another name read the same.
        std::filesystem::copy_file(dir.path() / name, dir.path() / "renamed.png",
                                   std::filesystem::copy_options::overwrite_existing);
        const ImageLoad renamed = files->load((dir.path() / "renamed.png").string());
        EXPECT_TRUE(renamed.image) << name << ": " << renamed.problem;
    }
}

TEST(ImageFiles, WrittenPngsReadBackExactlyAndAFailedWriteSaysWhyAndLeavesNothing) {
    test::TempDir dir;
    auto files = openImageFiles();
    ArgbImage argb{3, 2, {0x00000000u, 0x80FF0000u, 0xFF00FF00u, 0x400000FFu, 0xFFFFFFFFu, 0x01020304u}};
    RgbImage rgb{2, 1, {1, 2, 3, 250, 251, 252}};
    const std::string argbPath = (dir.path() / "argb.png").string(), rgbPath = (dir.path() / "rgb.png").string();
    files->writePng(argbPath, argb);
    files->writePng(rgbPath, rgb);
    const ImageLoad readArgb = files->load(argbPath), readRgb = files->load(rgbPath);
    ASSERT_TRUE(readArgb.image) << readArgb.problem;
    EXPECT_EQ(readArgb.image->pixels, argb.pixels) << "alpha kept, channels in place";
    ASSERT_TRUE(readRgb.image) << readRgb.problem;
    EXPECT_EQ(readRgb.image->pixels, (std::vector<std::uint32_t>{0xFF010203u, 0xFFFAFBFCu}));

    // A file where the file's folder should be: the reason is the system's, and nothing is
    // left behind; a folder in the file's place is not replaced.
    dir.write("plain", "x");
    const std::string blocked = (dir.path() / "plain" / "p.png").string();
    try {
        files->writePng(blocked, rgb);
        ADD_FAILURE() << "a write under a file succeeded";
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), "Cannot write " + blocked + ": Not a directory");
    }
    std::filesystem::create_directory(dir.path() / "taken.png");
    EXPECT_THROW(files->writePng((dir.path() / "taken.png").string(), rgb), Error);
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "taken.png"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 4) << "no partial file is left";
}

} // namespace zamp
