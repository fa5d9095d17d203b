// SHA-256 (FIPS 180-4), for names that must change whenever the bytes behind them change: the
// player's cache of imported models is keyed by it. Fed in pieces, so a large file is hashed
// without holding it in memory.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zamp {

class Sha256 {
public:
    Sha256();

    // Adds `bytes` to the message; may be called any number of times before `digest`.
    void add(std::span<const std::uint8_t> bytes);
    void add(std::string_view text);

    // The 32 bytes of the digest. Ends the message: the object must not be fed afterwards.
    std::array<std::uint8_t, 32> digest();
    // The digest as 64 lower-case hexadecimal digits.
    std::string hexDigest();

private:
    void compress(const std::uint8_t* block);

    std::array<std::uint32_t, 8> state_;
    std::array<std::uint8_t, 64> block_{};
    std::size_t blockUsed_ = 0;
    std::uint64_t length_ = 0; // bytes added so far
};

} // namespace zamp
