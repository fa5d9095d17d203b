// Test audio for the music tests: WAV and ProTracker MOD files written byte by byte, SDL's
// `disk` audio driver set up to capture what the mixer really outputs, and the small
// measurements (loudness, pitch) the tests make on that capture.
#pragma once

#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace zamp::testaudio {

constexpr double kPi = 3.14159265358979323846;

// A file name in the temporary folder that no other test process uses.
inline std::filesystem::path tempPath(const std::string& name) {
    static int counter = 0;
    return std::filesystem::temp_directory_path() /
           ("zamp-music-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" + name);
}

inline void writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

inline void putLE(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

inline void putBE16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

struct Tone {
    double hertz;    // 0 for silence
    double seconds;
};

// Sine tones at half of full scale, one after the other, as 16-bit samples.
inline std::vector<std::int16_t> toneSamples(const std::vector<Tone>& tones, int sampleRate) {
    std::vector<std::int16_t> samples;
    for (const Tone& tone : tones) {
        const auto count = static_cast<std::size_t>(std::lround(tone.seconds * sampleRate));
        for (std::size_t i = 0; i < count; ++i) {
            const double value = 0.5 * std::sin(2.0 * kPi * tone.hertz * static_cast<double>(i) / sampleRate);
            samples.push_back(static_cast<std::int16_t>(std::lround(value * 32767.0)));
        }
    }
    return samples;
}

// A mono 16-bit PCM WAV file of `samples`.
inline std::vector<std::uint8_t> wavFileOf(const std::vector<std::int16_t>& samples, int sampleRate = 44100) {
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::vector<std::uint8_t> out;
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    putLE(out, 36 + dataBytes, 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    putLE(out, 16, 4);                                      // fmt chunk size
    putLE(out, 1, 2);                                       // PCM
    putLE(out, 1, 2);                                       // mono
    putLE(out, static_cast<std::uint32_t>(sampleRate), 4);
    putLE(out, static_cast<std::uint32_t>(sampleRate * 2), 4);  // bytes per second
    putLE(out, 2, 2);                                       // bytes per frame
    putLE(out, 16, 2);                                      // bits per sample
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    putLE(out, dataBytes, 4);
    for (std::int16_t s : samples) {
        putLE(out, static_cast<std::uint16_t>(s), 2);
    }
    return out;
}

// A mono 16-bit PCM WAV file of `tones`.
inline std::vector<std::uint8_t> wavFile(const std::vector<Tone>& tones, int sampleRate = 44100) {
    return wavFileOf(toneSamples(tones, sampleRate), sampleRate);
}

// Samples that never repeat within the file and are never silent: where a part of them lies
// in a capture tells the offset to the sample.
inline std::vector<std::int16_t> noiseSamples(std::size_t count) {
    std::vector<std::int16_t> out(count);
    std::uint32_t state = 12345;
    for (auto& s : out) {
        state = state * 1664525u + 1013904223u;
        const int value = int(state >> 17) % 20000 - 10000;
        s = std::int16_t(value == 0 ? 1 : value);
    }
    return out;
}

// A mono 16-bit 44.1 kHz FLAC file of `samples`, stored without compression: frames of 4096
// samples with VERBATIM subframes, which keeps every field byte-aligned.
inline std::vector<std::uint8_t> flacFileOf(const std::vector<std::int16_t>& samples) {
    constexpr std::size_t kBlock = 4096;
    std::vector<std::uint8_t> out = {'f', 'L', 'a', 'C', 0x80, 0, 0, 34};  // last block: STREAMINFO, 34 bytes
    putBE16(out, kBlock);  // smallest block (the last frame may be shorter, as FLAC allows)
    putBE16(out, kBlock);  // largest block
    out.insert(out.end(), 6, 0);  // frame sizes unknown
    // 20 bits sample rate, 3 bits channels - 1, 5 bits bits-per-sample - 1, 36 bits total.
    const std::uint64_t total = samples.size();
    const std::uint64_t packed = (std::uint64_t{44100} << 44) | (std::uint64_t{0} << 41) | (std::uint64_t{15} << 36) | total;
    for (int shift = 56; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(packed >> shift));
    }
    out.insert(out.end(), 16, 0);  // no MD5 signature

    auto crc8 = [](const std::uint8_t* data, std::size_t size) {
        std::uint8_t crc = 0;
        for (std::size_t i = 0; i < size; ++i) {
            crc ^= data[i];
            for (int bit = 0; bit < 8; ++bit) {
                crc = static_cast<std::uint8_t>((crc & 0x80) ? (crc << 1) ^ 0x07 : crc << 1);
            }
        }
        return crc;
    };
    auto crc16 = [](const std::uint8_t* data, std::size_t size) {
        std::uint16_t crc = 0;
        for (std::size_t i = 0; i < size; ++i) {
            crc ^= static_cast<std::uint16_t>(data[i] << 8);
            for (int bit = 0; bit < 8; ++bit) {
                crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x8005 : crc << 1);
            }
        }
        return crc;
    };
    for (std::size_t first = 0, frame = 0; first < samples.size(); first += kBlock, ++frame) {
        const std::size_t count = std::min(kBlock, samples.size() - first);
        const std::size_t start = out.size();
        // Sync and fixed blocking; block size as 16 bits after the header (0111), 44.1 kHz
        // (1001); mono (0000), 16 bits (100); frame number (below 128: one byte).
        out.insert(out.end(), {0xFF, 0xF8, 0x79, 0x08, static_cast<std::uint8_t>(frame)});
        putBE16(out, static_cast<std::uint16_t>(count - 1));
        out.push_back(crc8(&out[start], out.size() - start));
        out.push_back(0x02);  // VERBATIM subframe, no wasted bits
        for (std::size_t i = first; i < first + count; ++i) {
            putBE16(out, static_cast<std::uint16_t>(samples[i]));
        }
        putBE16(out, crc16(&out[start], out.size() - start));
    }
    return out;
}

// The same for `tones`.
inline std::vector<std::uint8_t> flacFile(const std::vector<Tone>& tones) { return flacFileOf(toneSamples(tones, 44100)); }

// ProTracker's Amiga periods play a sample at 3546895 / period samples per second (PAL).
constexpr double kPalClock = 3546895.0;
constexpr int kModCycleBytes = 32;  // one sine cycle per loop of the test sample

inline double modHertz(int period) { return kPalClock / (period * kModCycleBytes); }

// One note or effect of a ProTracker pattern: `sample` 0 and `period` 0 leave the channel's
// note alone.
struct ModCell {
    int pattern, row, channel, sample, period, effect, param;
};

// A 4-channel "M.K." module with one looped sine-cycle sample at full volume, playing
// `orders` (pattern numbers) once: the song ends after the last order.
inline std::vector<std::uint8_t> modFileOf(const std::vector<int>& orders, const std::vector<ModCell>& cells) {
    std::vector<std::uint8_t> out(20, 0);  // title
    for (int sample = 1; sample <= 31; ++sample) {
        std::vector<std::uint8_t> header(22, 0);  // name
        const bool used = sample == 1;
        out.insert(out.end(), header.begin(), header.end());
        putBE16(out, used ? kModCycleBytes / 2 : 0);  // length in 16-bit words
        out.push_back(0);                               // finetune
        out.push_back(used ? 64 : 0);                   // volume
        putBE16(out, 0);                                // loop start, words
        putBE16(out, used ? kModCycleBytes / 2 : 1);    // loop length, words (1 = no loop)
    }
    out.push_back(static_cast<std::uint8_t>(orders.size()));  // song length
    out.push_back(127);  // restart byte, as ProTracker writes it
    std::vector<std::uint8_t> table(128, 0);
    int patterns = 0;
    for (std::size_t i = 0; i < orders.size(); ++i) {
        table[i] = static_cast<std::uint8_t>(orders[i]);
        patterns = std::max(patterns, orders[i] + 1);
    }
    out.insert(out.end(), table.begin(), table.end());
    out.insert(out.end(), {'M', '.', 'K', '.'});

    std::vector<std::uint8_t> pattern(static_cast<std::size_t>(patterns) * 64 * 4 * 4, 0);
    for (const ModCell& m : cells) {
        std::uint8_t* c = &pattern[static_cast<std::size_t>(((m.pattern * 64 + m.row) * 4 + m.channel) * 4)];
        c[0] = static_cast<std::uint8_t>((m.sample & 0xF0) | ((m.period >> 8) & 0x0F));
        c[1] = static_cast<std::uint8_t>(m.period & 0xFF);
        c[2] = static_cast<std::uint8_t>(((m.sample & 0x0F) << 4) | (m.effect & 0x0F));
        c[3] = static_cast<std::uint8_t>(m.param);
    }
    out.insert(out.end(), pattern.begin(), pattern.end());

    for (int i = 0; i < kModCycleBytes; ++i) {
        const double value = 0.8 * std::sin(2.0 * kPi * i / kModCycleBytes);
        out.push_back(static_cast<std::uint8_t>(static_cast<std::int8_t>(std::lround(value * 127.0))));
    }
    return out;
}

// A minimal module: one pattern at speed 3 (60 ms a row). Channel 1 plays `lowPeriod` from
// row 0 and `highPeriod` from row 16; row 31 breaks to the end of the song, so one pass lasts
// 32 rows, 1.92 s, half low and half high.
inline std::vector<std::uint8_t> modFile(int lowPeriod, int highPeriod) {
    return modFileOf({0}, {{0, 0, 0, 1, lowPeriod, 0xF, 3},  // Fxx below 32: speed 3 ticks a row
                           {0, 16, 0, 1, highPeriod, 0, 0},
                           {0, 31, 0, 0, 0, 0xD, 0}});       // Dxx: pattern break; the song ends
}

// A tune whose speed and tempo change part-way, where a place in the song cannot be told from
// its first speed and tempo: two channels of notes, a volume slide and a vibrato. Pattern 0
// at speed 3: rows 0-23 at 125 BPM (60 ms a row), rows 24-39 at 150 BPM (50 ms); pattern 1 at
// speed 5 and 150 BPM (83 ms a row) to row 20. One pass lasts about 4 s; then the song ends
// and playback goes on from its beginning.
inline std::vector<std::uint8_t> changingTempoModFile() {
    return modFileOf({0, 1}, {{0, 0, 0, 1, 428, 0xF, 3},
                              {0, 4, 1, 1, 320, 0, 0},
                              {0, 8, 0, 1, 381, 0xA, 0x02},  // volume slide down
                              {0, 16, 0, 1, 214, 0, 0},
                              {0, 20, 1, 1, 254, 0x4, 0x46},  // vibrato
                              {0, 24, 0, 1, 285, 0xF, 150},  // Fxx from 32: 150 BPM
                              {0, 32, 1, 1, 170, 0, 0},
                              {0, 39, 0, 0, 0, 0xD, 0},
                              {1, 0, 0, 1, 339, 0xF, 5},
                              {1, 6, 1, 1, 226, 0xC, 40},  // Cxx: volume 40
                              {1, 12, 0, 1, 190, 0, 0},
                              {1, 20, 0, 0, 0, 0xD, 0}});
}

// Points SDL at its `disk` driver for the lifetime of the object, so that whatever the mixer
// outputs lands in a raw file. A short delay between buffers makes it run several times
// faster than real time. The tests' default driver (dummy) is put back afterwards.
class DiskCapture {
public:
    DiskCapture() : path_(tempPath("capture.raw")) {
        ::setenv("SDL_AUDIODRIVER", "disk", 1);
        ::setenv("SDL_DISKAUDIOFILE", path_.c_str(), 1);
        ::setenv("SDL_DISKAUDIODELAY", "4", 1);
    }
    ~DiskCapture() {
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    DiskCapture(const DiskCapture&) = delete;
    DiskCapture& operator=(const DiskCapture&) = delete;

    const std::filesystem::path& path() const { return path_; }

    double secondsWritten() const {
        std::error_code error;
        const auto bytes = std::filesystem::file_size(path_, error);
        return error ? 0.0 : static_cast<double>(bytes) / (kAudioSampleRate * kAudioChannels * kAudioBytesPerSample);
    }

    // Waits until the device has written `seconds` of audio; false after 10 s of waiting.
    bool waitFor(double seconds) const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (secondsWritten() < seconds) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
    }

    // Everything written, both channels as they came. Read after the output closed.
    std::vector<std::int16_t> samples() const {
        std::ifstream in(path_, std::ios::binary);
        std::vector<std::int16_t> out;
        std::int16_t value;
        while (in.read(reinterpret_cast<char*>(&value), sizeof value)) out.push_back(value);
        return out;
    }

    // The left channel of everything written, scaled to -1..1. Read after the output closed.
    std::vector<float> left() const {
        std::ifstream in(path_, std::ios::binary);
        std::vector<float> out;
        std::int16_t frame[kAudioChannels];
        while (in.read(reinterpret_cast<char*>(frame), sizeof frame)) {
            out.push_back(static_cast<float>(frame[0]) / 32768.0f);
        }
        return out;
    }

private:
    std::filesystem::path path_;
};

// Where two runs of samples first differ in value or in length: "same" when they do not.
inline std::string firstDifference(const std::vector<std::int16_t>& a, const std::vector<std::int16_t>& b) {
    const auto [ai, bi] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    if (ai == a.end() && bi == b.end()) return "same";
    const auto at = static_cast<std::size_t>(ai - a.begin());
    if (ai == a.end() || bi == b.end())
        return "lengths " + std::to_string(a.size()) + " and " + std::to_string(b.size()) + ", same up to " + std::to_string(at);
    return "value " + std::to_string(at) + ": " + std::to_string(*ai) + " against " + std::to_string(*bi);
}

inline std::size_t frames(double seconds) { return static_cast<std::size_t>(seconds * kAudioSampleRate); }

// The first sample louder than `threshold`, or samples.size() when there is none.
inline std::size_t onset(const std::vector<float>& samples, float threshold = 0.01f) {
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (std::fabs(samples[i]) > threshold) {
            return i;
        }
    }
    return samples.size();
}

inline double rms(const std::vector<float>& samples, std::size_t begin, std::size_t end) {
    end = std::min(end, samples.size());
    if (begin >= end) {
        return 0.0;
    }
    double sum = 0.0;
    for (std::size_t i = begin; i < end; ++i) {
        sum += static_cast<double>(samples[i]) * samples[i];
    }
    return std::sqrt(sum / static_cast<double>(end - begin));
}

// The pitch of [begin, end) from its upward zero crossings, each placed between samples by
// linear interpolation: (crossings - 1) whole cycles between the first and the last.
// 0 when there are fewer than two crossings.
inline double pitch(const std::vector<float>& samples, std::size_t begin, std::size_t end) {
    end = std::min(end, samples.size());
    double first = -1.0;
    double last = -1.0;
    int crossings = 0;
    for (std::size_t i = begin + 1; i < end; ++i) {
        const float a = samples[i - 1];
        const float b = samples[i];
        if (a < 0.0f && b >= 0.0f) {
            const double at = static_cast<double>(i - 1) + a / (a - b);
            if (crossings == 0) {
                first = at;
            }
            last = at;
            ++crossings;
        }
    }
    if (crossings < 2) {
        return 0.0;
    }
    return (crossings - 1) * kAudioSampleRate / (last - first);
}

} // namespace zamp::testaudio
