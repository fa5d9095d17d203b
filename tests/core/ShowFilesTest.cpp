// Shows written on Windows name their files with backslashes and with any case; the player
// finds them inside the show folder and nowhere else.
#include "core/ShowFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace zamp {
namespace {

namespace fs = std::filesystem;

// A show folder (the working directory while a test runs) inside a scratch folder that also
// holds a file outside the show.
class ShowFolder : public ::testing::Test {
protected:
    ShowFolder() {
        std::string pattern = (fs::temp_directory_path() / "zamp-show-files-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        root_ = pattern;
        previous_ = fs::current_path();
        fs::create_directories(root_ / "show");
        fs::current_path(root_ / "show");
        for (const char* file : {"data/Wood.PNG", "data/Scene.siv", "data/sub/Deep.png", "pics/Tree.png",
                                 "pics/tree.png", "pics/TREE.png", "Music/Song.MOD", "data/back\\slash.png"})
            touch(file);
        std::ofstream(root_ / "secret.png") << "outside";
    }
    ~ShowFolder() override {
        fs::current_path(previous_);
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    static void touch(const fs::path& relative) {
        fs::create_directories(relative.parent_path());
        std::ofstream(relative) << "x";
    }

private:
    fs::path root_, previous_;
};

TEST_F(ShowFolder, FindsWindowsNamesInsideTheShowFolderOnly) {
    struct Case {
        const char* written;
        const char* found; // nullptr: nothing is found
    } cases[] = {
        {"data/Wood.PNG", "data/Wood.PNG"},          // as written
        {"data\\Wood.PNG", "data/Wood.PNG"},         // backslashes
        {"DATA\\wood.png", "data/Wood.PNG"},         // backslashes and case
        {"data/wood.png", "data/Wood.PNG"},          // case of the last component
        {"Data/Sub/DEEP.PNG", "data/sub/Deep.png"},  // case of every component
        {".\\data\\\\scene.SIV", "data/Scene.siv"},  // "." and empty components are skipped
        {"pics/tree.PNG", "pics/TREE.png"},          // several differ by case: first in byte order
        {"pics/tree.png", "pics/tree.png"},          // an exact name is taken as written
        {"music\\song.mod", "Music/Song.MOD"},
        {"data/back\\slash.png", "data/back\\slash.png"},   // a real backslash in a Linux name
        {"data/../DATA/wood.png", "data/../data/Wood.PNG"}, // ".." followed as written
        {"data/missing.png", nullptr},                        // matches nothing
        {"missing/wood.png", nullptr},
        {"data/Wood.PNG/x", nullptr},
        {"../secret.png", "../secret.png"},  // as written it is the script's own choice
        {"..\\secret.png", nullptr},         // but the fallback never leaves the show folder
        {"../SECRET.png", nullptr},
        {"data/../../secret.png", "data/../../secret.png"},
        {"DATA/../../secret.png", nullptr},
        {"data\\..\\..\\secret.png", nullptr},
        {"C:\\show\\data\\wood.png", nullptr}, // absolute Windows paths are not looked up
        {"", nullptr},
    };
    for (const Case& c : cases) {
        const std::optional<std::string> found = findShowFile(c.written);
        if (c.found) {
            EXPECT_EQ(found.value_or("(nothing)"), c.found) << c.written;
            EXPECT_EQ(showFilePath(c.written), c.found) << c.written;
        } else {
            EXPECT_FALSE(found) << c.written << " found " << *found;
            EXPECT_EQ(showFilePath(c.written), c.written) << "a name that matches nothing stays as written";
        }
    }
}

} // namespace
} // namespace zamp
