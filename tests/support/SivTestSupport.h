// Helpers shared by the SIV tests: a scratch folder, a small scene with one record of every
// kind, byte-level patching of streams, and a way to catch the loader's messages.
// Tests that build meshes use the project's recording device (support/RecordingDevice.h).
#pragma once

#include "core/Error.h"
#include "siv/SivFile.h"
#include "siv/SivWriter.h"
#include "support/SivRecords.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zamp::sivtest {

// What a failed load threw: a message for the user (an Error), or something else.
struct Failure {
    enum Kind { None, Message, Other } kind = None;
    std::string text;
};

inline Failure failureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& e) {
        return {Failure::Message, e.what()};
    } catch (...) {
        return {Failure::Other, {}};
    }
    return {};
}

inline const std::string kUnderrun = "aiai! sivread buffer underrun! kontakt vek asap!";

// A folder of its own under the system's temporary folder, removed with everything in it.
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zamp-siv-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        const std::string p = file(name);
        writeBinaryFile(p, bytes);
        return p;
    }

private:
    std::filesystem::path path_;
};

template <class T>
void poke(std::vector<std::uint8_t>& bytes, std::size_t offset, const T& value) {
    ASSERT_LE(offset + sizeof(T), bytes.size());
    std::memcpy(bytes.data() + offset, &value, sizeof(T));
}

// Byte offsets of the stream header fields.
inline constexpr std::size_t kVersionOffset = 4;
inline constexpr std::size_t kChunkNameOffset = 8;
inline constexpr std::size_t kMainHeaderOffset = 17;

} // namespace zamp::sivtest
