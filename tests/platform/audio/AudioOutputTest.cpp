// AudioOutput: which output it opens and how it classifies music files.
#include "platform/Platform.h"

#include "support/MusicTestAudio.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

namespace zamp {
namespace {

using namespace testaudio;

TEST(AudioOutputTest, OpensTheDeviceAndElseTheSilentDriver) {
    {
        SCOPED_TRACE("a working driver is used");
        DiskCapture capture;
        auto output = openAudioOutput(AudioTarget::DeviceOrSilent);
        ASSERT_NE(output, nullptr);
        EXPECT_FALSE(output->silent());
        EXPECT_TRUE(std::filesystem::exists(capture.path()));
    }
    {
        SCOPED_TRACE("a driver that does not exist gives way to the silent one");
        ::setenv("SDL_AUDIODRIVER", "zamp-no-such-driver", 1);
        auto output = openAudioOutput(AudioTarget::DeviceOrSilent);
        ASSERT_NE(output, nullptr);
        EXPECT_TRUE(output->silent());
    }
    {
        SCOPED_TRACE("the dummy driver, even when it is the one asked for, is silent");
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
        auto output = openAudioOutput(AudioTarget::DeviceOrSilent);
        ASSERT_NE(output, nullptr);
        EXPECT_TRUE(output->silent());
    }
    {
        SCOPED_TRACE("silent only: the working driver is not touched");
        DiskCapture capture;
        auto output = openAudioOutput(AudioTarget::SilentOnly);
        ASSERT_NE(output, nullptr);
        EXPECT_TRUE(output->silent());
        EXPECT_FALSE(std::filesystem::exists(capture.path()));
    }
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
}

TEST(AudioOutputTest, AlsaKeepsItsProbeLinesToItself) {
    // Where ALSA finds no sound card (build machines), its probe used to print "ALSA lib"
    // lines between the player's own. A machine with a card prints nothing either way.
    ::setenv("SDL_AUDIODRIVER", "alsa", 1);
    testing::internal::CaptureStderr();
    {
        auto output = openAudioOutput(AudioTarget::DeviceOrSilent);
        EXPECT_NE(output, nullptr);
    }
    const std::string err = testing::internal::GetCapturedStderr();
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_EQ(err.find("ALSA"), std::string::npos) << err;
}

TEST(AudioOutputTest, TellsStreamsFromModulesAndRejectsTheRest) {
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    auto output = openAudioOutput(AudioTarget::DeviceOrSilent);
    ASSERT_NE(output, nullptr);

    const auto wav = tempPath("kind.wav");
    const auto mod = tempPath("kind.mod");
    const auto text = tempPath("kind.txt");
    writeFile(wav, wavFile({{440.0, 0.1}}));
    writeFile(mod, modFile(428, 214));
    writeFile(text, std::vector<std::uint8_t>(2000, 'a'));
    // Names do not decide: a module named like a stream is still a module, and the reverse.
    const auto modAsOgg = tempPath("module.ogg");
    const auto wavAsMod = tempPath("stream.mod");
    std::filesystem::copy_file(mod, modAsOgg);
    std::filesystem::copy_file(wav, wavAsMod);

    struct Case {
        std::filesystem::path path;
        bool loads;
        MusicKind kind;
    };
    for (const Case& c : {Case{wav, true, MusicKind::Stream}, Case{wavAsMod, true, MusicKind::Stream},
                          Case{mod, true, MusicKind::Module}, Case{modAsOgg, true, MusicKind::Module},
                          Case{text, false, MusicKind::Stream}}) {
        SCOPED_TRACE(c.path);
        auto track = output->loadMusic(c.path.string());
        ASSERT_EQ(track != nullptr, c.loads);
        if (track) {
            EXPECT_EQ(track->kind(), c.kind);
        }
    }
    for (const auto& path : {wav, mod, text, modAsOgg, wavAsMod}) {
        std::filesystem::remove(path);
    }
}

TEST(AudioOutputTest, OnlyRegularFilesAndNoHugeModuleReachTheDecoders) {
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    auto output = openAudioOutput(AudioTarget::SilentOnly);
    ASSERT_NE(output, nullptr);
    // A named pipe without a writer used to block the open for ever; a folder or a device
    // is no music either.
    const auto pipe = tempPath("music.pipe");
    const auto folder = tempPath("music.folder");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::filesystem::create_directory(folder);
    for (const std::string& path : {pipe.string(), folder.string(), std::string("/dev/zero")}) {
        EXPECT_EQ(output->loadMusic(path), nullptr) << path;
    }

    // A sparse 3 GB file of zeros has no stream signature, so it would go to the tracker
    // decoder, which reads a module whole: it is refused unread. A stream of that size is
    // read as it plays and still loads.
    const auto sparse = tempPath("sparse.mod");
    writeFile(sparse, {});
    std::filesystem::resize_file(sparse, 3ull << 30);
    EXPECT_EQ(output->loadMusic(sparse.string()), nullptr);
    const auto bigModule = tempPath("big.mod");
    writeFile(bigModule, modFile(428, 214));
    std::filesystem::resize_file(bigModule, (64ull << 20) + 1);
    EXPECT_EQ(output->loadMusic(bigModule.string()), nullptr) << "one byte over the module bound";
    std::filesystem::resize_file(bigModule, 64ull << 20);
    auto module = output->loadMusic(bigModule.string());
    ASSERT_NE(module, nullptr) << "a module of exactly the bound";
    EXPECT_EQ(module->kind(), MusicKind::Module);
    module.reset();
    const auto bigStream = tempPath("big.wav");
    writeFile(bigStream, wavFile({{440.0, 0.1}}));
    std::filesystem::resize_file(bigStream, 100ull << 20);
    auto stream = output->loadMusic(bigStream.string());
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->kind(), MusicKind::Stream);
    stream.reset();
    for (const auto& path : {pipe, folder, sparse, bigModule, bigStream}) std::filesystem::remove(path);
}

} // namespace
} // namespace zamp
