#include "core/Error.h"
#include "platform/Platform.h"
#include "show/TextureRegistry.h"
#include "support/PictureBytes.h"
#include "support/RecordingDevice.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace zamp {
namespace {

std::uint32_t grey(int, int) { return 0xFF808080; }

struct RegistryFixture : ::testing::Test {
    test::RecordingDevice device;
    std::unique_ptr<ImageFiles> imageFiles = openImageFiles();
    TextureRegistry registry;
    test::TempDir dir;
    std::filesystem::path previous = std::filesystem::current_path();
    RegistryFixture() {
        std::filesystem::current_path(dir.path());
        test::writeTestPng(dir.path() / "pic.png", 300, 200, grey);
        test::writeTestPng(dir.path() / "data" / "pic.png", 30, 20, grey);
        test::writeTestPng(dir.path() / "data" / "only.png", 3, 2, grey);
    }
    ~RegistryFixture() override { std::filesystem::current_path(previous); }
};

TEST_F(RegistryFixture, FirstMatchWinsAndNothingIsReloaded) {
    TextureRecord& a = registry.load(device, *imageFiles, "pic.png");
    EXPECT_EQ(a.width, 300);
    EXPECT_EQ(a.height, 200);
    device.clearLog();
    EXPECT_EQ(&registry.load(device, *imageFiles, "pic.png"), &a);
    EXPECT_TRUE(device.log.empty());
    EXPECT_EQ(registry.size(), 1u);
}

TEST_F(RegistryFixture, NamesAreExactAndCaseSensitive) {
    TextureRecord& a = registry.load(device, *imageFiles, "pic.png");
    TextureRecord& b = registry.load(device, *imageFiles, "data/pic.png");
    EXPECT_NE(&a, &b);
    EXPECT_EQ(b.width, 30);
    EXPECT_EQ(registry.size(), 2u);
    // A name in another case finds the file the Windows way, but is an entry of its own,
    // named as given.
    TextureRecord& c = registry.load(device, *imageFiles, "PIC.png");
    EXPECT_NE(&c, &a);
    EXPECT_EQ(c.width, a.width);
    EXPECT_EQ(registry.name(2), "PIC.png");
    EXPECT_THROW(registry.load(device, *imageFiles, "Pict.png"), Error); // no such file in either place
}

TEST_F(RegistryFixture, SecondAttemptUnderDataKeepsTheGivenName) {
    TextureRecord& r = registry.load(device, *imageFiles, "only.png");
    EXPECT_EQ(r.width, 3);
    EXPECT_EQ(registry.name(0), "only.png");
    EXPECT_EQ(r.isRenderTarget, 0);
    EXPECT_EQ(r.surface, nullptr);
}

TEST_F(RegistryFixture, RenderTargetsShareTheNameSpace) {
    TextureRecord& rt = registry.createRenderTarget(device, "pic.png", 64, 32);
    EXPECT_EQ(&registry.load(device, *imageFiles, "pic.png"), &rt);
    EXPECT_EQ(rt.isRenderTarget, 1);
    EXPECT_NE(rt.surface, nullptr);
    // A second render target of that name is added but never found.
    TextureRecord& again = registry.createRenderTarget(device, "pic.png", 8, 8);
    EXPECT_EQ(registry.size(), 2u);
    EXPECT_EQ(&registry.load(device, *imageFiles, "pic.png"), &rt);
    EXPECT_NE(&again, &rt);
}

TEST_F(RegistryFixture, MissingFileMessageAndNothingRegistered) {
    try {
        registry.load(device, *imageFiles, "missing.png");
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Error Loading Texture missing.png: missing.png does not exist, nor does data/missing.png.");
    }
    EXPECT_EQ(registry.size(), 0u);
}

TEST_F(RegistryFixture, RenderTargetThatCannotBeMadeIsReported) {
    EXPECT_THROW(registry.createRenderTarget(device, "zero", 0, 16), Error);
    EXPECT_EQ(registry.size(), 0u);
}

// Each hostile file is refused with the player's words and why, before anything is decoded:
// the red team's crashes (a TGA header of 23171 x 23171, an XPM with an empty colour line)
// and memory bombs (PNG, GIF, BMP, JPG headers declaring sides far beyond any texture, an SVG).
TEST_F(RegistryFixture, HostilePicturesAreRefusedWithTheReason) {
    ASSERT_EQ(mkfifo((dir.path() / "pipe.png").c_str(), 0600), 0);
    std::filesystem::create_directory(dir.path() / "folder.png");
    struct Case {
        const char* name;
        std::string bytes; // written unless empty
        std::string why;
    };
    const Case cases[] = {
        {"tga23171.tga", test::tgaPicture(23171, 23171, 64),
         "tga23171.tga is 23171 by 23171 pixels, more than the 8192 by 8192 a texture may have"},
        {"xpm.png", test::emptyColourXpm(), "xpm.png is not a PNG, JPG, TGA, BMP or GIF picture"},
        {"huge.svg", test::hugeSvg(), "huge.svg is not a PNG, JPG, TGA, BMP or GIF picture"},
        {"png16384.png", test::pngHeaderOnly(16384, 16384),
         "png16384.png is 16384 by 16384 pixels, more than the 8192 by 8192 a texture may have"},
        {"wide.png", test::pngHeaderOnly(8193, 1),
         "wide.png is 8193 by 1 pixels, more than the 8192 by 8192 a texture may have"},
        {"gif65535.gif", test::gifPicture(65535, 65535),
         "gif65535.gif is 65535 by 65535 pixels, more than the 8192 by 8192 a texture may have"},
        // Found by image_fuzz: a 1 x 1 GIF whose first frame is damaged, so that the decoder
        // scans on byte by byte and finds a frame of 54089 x 61952 inside it (3.3 GB). SDL's
        // allocations are bounded now: the decoder fails instead.
        {"frames.gif", std::string("\x47\x49\x46\x38\x39\x61\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xFF\xFF\x1F\x2C\x02\x00\x00\x61\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xFF\xFF\x1F\x2C\x02\x39\x61\x01\x00\x01\x00\x80\x00\xFF\xFF\x1F\x2C\x02\x00\x01\x47\x49\xD3\x00\xF2\x00\x01\x00\x4B\x4B\x4B\x4B", 66),
         "frames.gif is a damaged GIF picture ("},
        // Any frame may be decoded: a huge second frame counts.
        {"second.gif", test::gifPicture(1, 1).insert(42, std::string(",\0\0\0\0\x60\xEA\x60\xEA\0\x02\x02\x4C\x01\0", 16)),
         "second.gif is 60000 by 60000 pixels, more than the 8192 by 8192 a texture may have"},
        {"bmp.bmp", test::bmpPicture(100000, -100000, 16),
         "bmp.bmp is 100000 by 100000 pixels, more than the 8192 by 8192 a texture may have"},
        {"jpeg.jpg", test::jpegHeader(60000, 9000),
         "jpeg.jpg is 60000 by 9000 pixels, more than the 8192 by 8192 a texture may have"},
        {"cut.png", test::pngPicture(4, 4, 0xFF00FF00).substr(0, 60),
         "cut.png is a damaged PNG picture (the file ends inside the picture)"},
        {"nosize.png", std::string("\x89PNG\r\n\x1A\n", 8), "nosize.png is a damaged PNG picture (its header gives no size)"},
        {"empty.png", "", "empty.png is not a PNG, JPG, TGA, BMP or GIF picture"},
        {"pipe.png", "", "pipe.png is not a regular file"},
        {"folder.png", "", "folder.png is not a regular file"},
    };
    for (const Case& c : cases) {
        if (!c.bytes.empty() || std::string(c.name) == "empty.png") dir.write(c.name, c.bytes);
        try {
            registry.load(device, *imageFiles, c.name);
            ADD_FAILURE() << c.name << " loaded";
        } catch (const Error& e) {
            const std::string message = e.what();
            const std::string expected = std::string("Error Loading Texture ") + c.name + ": " + c.why;
            EXPECT_EQ(message.substr(0, expected.size()), expected) << c.name;
        }
    }
    EXPECT_EQ(registry.size(), 0u);
    EXPECT_TRUE(device.calls("CreateTexture").empty()) << "no texture is made for a refused picture";
}

TEST_F(RegistryFixture, NoLibraryWritesToStandardErrorAboutABadPicture) {
    // libpng's own error and warning lines used to precede the player's message.
    std::string damaged = test::pngPicture(2, 2, 0xFFFF0000);
    damaged[29] ^= 0x55; // inside IHDR's CRC: "libpng error: IHDR: CRC error"
    dir.write("crc.png", damaged);
    // A text chunk with a bad CRC and a gamma of 0 earn warnings, but the pictures are fine.
    std::string text = test::pngChunk("tEXt", std::string("key\0value", 9));
    text.back() ^= 1;
    dir.write("text.png", test::pngPicture(2, 2, 0xFF0000FF, text));
    dir.write("gamma.png", test::pngPicture(3, 2, 0xFF0000FF, test::pngChunk("gAMA", std::string(4, '\0'))));
    ::testing::internal::CaptureStderr();
    try {
        registry.load(device, *imageFiles, "crc.png");
        ADD_FAILURE() << "a damaged picture loaded";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Error Loading Texture crc.png: crc.png is a damaged PNG picture (IHDR: CRC error).");
    }
    TextureRecord& withText = registry.load(device, *imageFiles, "text.png");
    TextureRecord& withGamma = registry.load(device, *imageFiles, "gamma.png");
    const std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(printed, "");
    EXPECT_EQ(withText.width, 2);
    EXPECT_EQ(withGamma.width, 3);
}

TEST_F(RegistryFixture, AMissingFileAsNamedGivesTheReasonOfTheOneUnderData) {
    dir.write("data/bad.png", test::emptyColourXpm());
    dir.write("here.png", test::hugeSvg());
    test::writeTestPng(dir.path() / "data" / "here.png", 3, 2, grey);
    struct Case {
        const char* name;
        std::string message;
    };
    const Case cases[] = {
        {"bad.png", "Error Loading Texture bad.png: data/bad.png is not a PNG, JPG, TGA, BMP or GIF picture."},
        {"gone.png", "Error Loading Texture gone.png: gone.png does not exist, nor does data/gone.png."},
    };
    for (const Case& c : cases) {
        try {
            registry.load(device, *imageFiles, c.name);
            ADD_FAILURE() << c.name;
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
    // A picture that cannot be read as named is looked for under data/ as always.
    EXPECT_EQ(registry.load(device, *imageFiles, "here.png").width, 3);
    // A zero byte would cut the name and open another file (data/only.png).
    const std::string zero("only.png\0.bmp", 12);
    try {
        registry.load(device, *imageFiles, zero);
        ADD_FAILURE() << "a name with a zero byte loaded";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Error Loading Texture only.png\\0.bm: the name holds a zero byte, so it names no file.");
    }
}

} // namespace
} // namespace zamp
