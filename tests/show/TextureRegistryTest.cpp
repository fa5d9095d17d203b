#include "core/Error.h"
#include "platform/Platform.h"
#include "show/TextureRegistry.h"
#include "support/RecordingDevice.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

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
        EXPECT_STREQ(e.what(), "Error Loading Texture missing.png");
    }
    EXPECT_EQ(registry.size(), 0u);
}

TEST_F(RegistryFixture, RenderTargetThatCannotBeMadeIsReported) {
    EXPECT_THROW(registry.createRenderTarget(device, "zero", 0, 16), Error);
    EXPECT_EQ(registry.size(), 0u);
}

} // namespace
} // namespace zamp
