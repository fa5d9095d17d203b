// Writing a file whole or not at all, through a temporary file of the writer's own: writers of
// one name at the same time never share one, a name that exists is never taken over, and the
// name holds only whole files.
#include "core/Error.h"
#include "core/FileWrite.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdlib.h>
#include <unistd.h>

using namespace zamp;

namespace {

namespace fs = std::filesystem;

class FileWriteTest : public ::testing::Test {
protected:
    FileWriteTest() {
        std::string pattern = (fs::temp_directory_path() / "zamp-core-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        dir = pattern;
    }
    ~FileWriteTest() override {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    static std::string read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::vector<std::string> names() const {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(dir)) found.push_back(entry.path().filename().string());
        std::sort(found.begin(), found.end());
        return found;
    }
    fs::path dir;
};

TEST_F(FileWriteTest, WritersOfOneNameAtOnceEachHaveTheirOwnTemporaryFile) {
    ReplacingFile first(path("frame.png"));
    ReplacingFile second(path("frame.png"));
    EXPECT_NE(first.temporaryPath(), second.temporaryPath());
    first.write("first whole", 11);
    second.write("second", 6);
    EXPECT_FALSE(fs::exists(path("frame.png"))) << "nothing under the name before a file is whole";
    first.commit();
    EXPECT_EQ(read(path("frame.png")), "first whole");
    second.write(" whole", 6);
    second.commit();
    EXPECT_EQ(read(path("frame.png")), "second whole");
    EXPECT_EQ(names(), std::vector<std::string>{"frame.png"});
}

TEST_F(FileWriteTest, ATemporaryFileLeftByAnotherWriterIsNeverTakenOver) {
    // What a killed writer of this process number would have left.
    const std::string left = path("music.wav." + std::to_string(getpid()) + "-0.partial");
    std::ofstream(left) << "someone else's";
    {
        ReplacingFile file(path("music.wav"));
        EXPECT_NE(file.temporaryPath(), left);
        file.write("RIFF", 4);
        // Given up without commit: only its own temporary file goes.
    }
    EXPECT_EQ(read(left), "someone else's");
    writeFileReplacing(path("music.wav"), std::vector<std::uint8_t>{'R', 'I', 'F', 'F'});
    EXPECT_EQ(read(path("music.wav")), "RIFF");
    EXPECT_EQ(read(left), "someone else's");
    EXPECT_EQ(names().size(), 2u);
}

TEST_F(FileWriteTest, AFailureNamesTheFileAndLeavesNothing) {
    fs::create_directory(path("frame_000004.png"));
    try {
        writeFileReplacing(path("frame_000004.png"), std::vector<std::uint8_t>{1, 2, 3});
        ADD_FAILURE() << "written over a folder";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot write " + path("frame_000004.png") + ": Is a directory");
    }
    EXPECT_THROW(ReplacingFile(path("no/such/folder/x.png")), Error);
    EXPECT_EQ(names(), std::vector<std::string>{"frame_000004.png"});
}

} // namespace
