// Opening a show's files: only regular files, never blocking, with the reason for a refusal.
#include "core/RegularFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zamp;

namespace {

class RegularFileTest : public ::testing::Test {
protected:
    RegularFileTest() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zamp-core-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        dir = pattern;
    }
    ~RegularFileTest() override {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    std::filesystem::path dir;
};

} // namespace

TEST_F(RegularFileTest, ARegularFileOpensWithItsSize) {
    std::ofstream(path("a.bin"), std::ios::binary) << "hello";
    OpenedFile opened = openRegularFile(path("a.bin"));
    ASSERT_TRUE(opened.file);
    EXPECT_EQ(opened.problem, FileProblem::None);
    EXPECT_EQ(opened.size, 5u);
    char text[8] = {};
    EXPECT_EQ(std::fread(text, 1, sizeof text, opened.file.get()), 5u);
    EXPECT_STREQ(text, "hello");
}

TEST_F(RegularFileTest, EverythingElseIsRefusedAtOnceWithItsReason) {
    // A named pipe without a writer would block an ordinary open (and a read) for ever.
    ASSERT_EQ(mkfifo(path("pipe").c_str(), 0600), 0);
    std::filesystem::create_directory(path("folder"));
    struct Case {
        std::string path;
        FileProblem problem;
        const char* words;
    };
    const Case cases[] = {
        {path("missing"), FileProblem::Missing, "does not exist"},
        {path("missing/below"), FileProblem::Missing, "does not exist"},
        {path("pipe"), FileProblem::NotRegular, "is not a regular file"},
        {path("folder"), FileProblem::NotRegular, "is not a regular file"},
        {"/dev/zero", FileProblem::NotRegular, "is not a regular file"}, // never ends
        {"", FileProblem::Missing, "does not exist"},
    };
    for (const Case& c : cases) {
        OpenedFile opened = openRegularFile(c.path);
        EXPECT_FALSE(opened.file) << c.path;
        EXPECT_EQ(opened.problem, c.problem) << c.path;
        EXPECT_STREQ(describeFileProblem(opened.problem), c.words) << c.path;
    }
}

TEST_F(RegularFileTest, AFileThisUserMayNotReadIsUnreadable) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
    std::ofstream(path("secret"), std::ios::binary) << "x";
    ASSERT_EQ(chmod(path("secret").c_str(), 0), 0);
    OpenedFile opened = openRegularFile(path("secret"));
    EXPECT_FALSE(opened.file);
    EXPECT_EQ(opened.problem, FileProblem::Unreadable);
    EXPECT_STREQ(describeFileProblem(opened.problem), "cannot be read");
}
