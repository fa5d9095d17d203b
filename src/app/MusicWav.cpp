#include "app/MusicWav.h"

#include "core/Error.h"
#include "core/FileWrite.h"
#include "platform/Audio.h"

#include <bit>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace zamp {

namespace {

static_assert(std::endian::native == std::endian::little, "WAV samples are written as they are in memory");

constexpr std::uint32_t kFrameBytes = kAudioChannels * kAudioBytesPerSample;
constexpr std::uint64_t kMostDataBytes = 0xFFFFFFFFu - 36; // what a WAV's 32-bit sizes can hold

void putLE(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(std::uint8_t(value >> (8 * i)));
}

std::vector<std::uint8_t> wavHeader(std::uint32_t dataBytes) {
    std::vector<std::uint8_t> h;
    for (char c : std::string("RIFF")) h.push_back(std::uint8_t(c));
    putLE(h, 36 + dataBytes, 4);
    for (char c : std::string("WAVEfmt ")) h.push_back(std::uint8_t(c));
    putLE(h, 16, 4);
    putLE(h, 1, 2); // PCM
    putLE(h, kAudioChannels, 2);
    putLE(h, kAudioSampleRate, 4);
    putLE(h, kAudioSampleRate * kFrameBytes, 4);
    putLE(h, kFrameBytes, 2);
    putLE(h, 8 * kAudioBytesPerSample, 2);
    for (char c : std::string("data")) h.push_back(std::uint8_t(c));
    putLE(h, dataBytes, 4);
    return h;
}

} // namespace

namespace {

[[noreturn]] void tooLong(const std::string& path, double seconds) {
    char text[64];
    std::snprintf(text, sizeof text, "%.0f", std::floor(seconds));
    throw Error("Cannot write " + path + ": " + text + " s of music is more than a WAV file can hold");
}

} // namespace

double renderAudioFrames(long videoFrames, double fps) {
    return std::round(double(videoFrames) / fps * kAudioSampleRate);
}

std::uint64_t musicWavFrames(const std::string& path, long videoFrames, double fps) {
    const double seconds = double(videoFrames) / fps;
    const double frames = renderAudioFrames(videoFrames, fps);
    // The comparison is made in doubles: an infinite or huge count is refused, never converted.
    if (!(frames * kFrameBytes <= double(kMostDataBytes))) tooLong(path, seconds);
    return std::uint64_t(frames);
}

bool writeMusicWav(const std::string& path, MusicSource& source, std::uint64_t frameCount,
                   const std::atomic<bool>& stop) {
    if (frameCount > kMostDataBytes / kFrameBytes) tooLong(path, double(frameCount) / kAudioSampleRate);
    const std::uint64_t dataBytes = frameCount * kFrameBytes;
    ReplacingFile file(path);
    const std::vector<std::uint8_t> header = wavHeader(std::uint32_t(dataBytes));
    file.write(header.data(), header.size());
    constexpr std::size_t kBlock = 65536;
    std::vector<std::int16_t> block(kBlock * kAudioChannels);
    for (std::uint64_t left = frameCount; left > 0;) {
        // A stop leaves nothing: the temporary file goes with `file`.
        if (stop.load()) return false;
        const std::size_t frames = std::size_t(std::min<std::uint64_t>(left, kBlock));
        source.read(block.data(), frames);
        // WAV is little-endian, as this machine is (the PCM comes in its byte order).
        file.write(block.data(), frames * kFrameBytes);
        left -= frames;
    }
    file.commit();
    return true;
}

} // namespace zamp
