// The siv program run as a user runs it, in a scratch folder of its own: its exit code and
// what it printed on standard output and standard error.
#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace zamp::test {

struct Outcome {
    int exitCode = -1;
    std::string out; // stdout
    std::string err; // stderr
};

class SivCommand : public ::testing::Test {
protected:
    SivCommand() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zamp-siv-tool-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        dir = pattern;
    }
    ~SivCommand() override {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    std::string path(const std::string& name) const { return (dir / name).string(); }

    void writeText(const std::string& name, const std::string& text) const {
        std::ofstream(path(name), std::ios::binary) << text;
    }

    static std::string slurp(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    Outcome run(const std::string& arguments) const {
        const std::string out = path("stdout.txt"), err = path("stderr.txt");
        const std::string command =
            std::string("'") + SIV_TOOL_EXECUTABLE + "' " + arguments + " >'" + out + "' 2>'" + err + "'";
        const int status = std::system(command.c_str());
        Outcome result;
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = slurp(out);
        result.err = slurp(err);
        return result;
    }

    std::filesystem::path dir;
};

} // namespace zamp::test
