#include "Instruments.h"

#include <algorithm>
#include <cmath>

namespace makemusic {

namespace {

constexpr double kPi = 3.14159265358979323846;

// A small, fixed pseudo-random sequence in -1..1 (the build must not depend on the C
// library's rand).
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state_(seed) {}
    double next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<double>(state_ >> 8) / static_cast<double>(1u << 23) - 1.0;
    }

private:
    std::uint32_t state_;
};

// Scales to a peak of 120 (a little headroom below 127 for the players' interpolation) and
// rounds to an even length. A sample that plays once gets two silent first bytes:
// ProTracker uses them as its idle loop once the sample has ended.
std::vector<std::int8_t> toSample(std::vector<double> wave, bool playsOnce = true) {
    if (wave.size() % 2 != 0) {
        wave.push_back(0.0);
    }
    double peak = 0.0;
    for (double v : wave) {
        peak = std::max(peak, std::fabs(v));
    }
    const double scale = peak > 0.0 ? 120.0 / peak : 0.0;
    std::vector<std::int8_t> out;
    out.reserve(wave.size());
    for (double v : wave) {
        out.push_back(static_cast<std::int8_t>(std::lround(v * scale)));
    }
    if (playsOnce) {
        out[0] = out[1] = 0;
    }
    return out;
}

// Fades the last `fraction` of the wave to zero so a sample never ends with a click.
void fadeTail(std::vector<double>& wave, double fraction) {
    const auto tail = static_cast<std::size_t>(static_cast<double>(wave.size()) * fraction);
    for (std::size_t i = 0; i < tail; ++i) {
        wave[wave.size() - 1 - i] *= static_cast<double>(i) / static_cast<double>(tail);
    }
}

} // namespace

std::vector<std::int8_t> pluck(int cycle, std::size_t length, double damping, std::uint32_t seed) {
    // The string starts as a burst of smoothed noise, one cycle long plus one byte.
    Noise noise(seed);
    std::vector<double> wave(length, 0.0);
    const auto n = static_cast<std::size_t>(cycle);
    double smooth = 0.0;
    for (std::size_t i = 0; i <= n && i < length; ++i) {
        smooth = 0.6 * smooth + 0.4 * noise.next();
        wave[i] = smooth;
    }
    // Each byte averages the three bytes one cycle back. That filter is symmetric about the
    // middle one, so it delays by exactly `cycle` bytes and the pitch stays in tune with
    // the single-cycle instruments; it dulls high harmonics first, like a real string.
    const double keep = 1.0 - 0.02 * damping;
    for (std::size_t i = n + 1; i < length; ++i) {
        wave[i] = keep * (0.25 * wave[i - n + 1] + 0.5 * wave[i - n] + 0.25 * wave[i - n - 1]);
    }
    // The initial noise has some offset; a slow high-pass removes it without touching pitch.
    double mean = 0.0;
    for (double& v : wave) {
        mean += (v - mean) * 0.002;
        v -= mean;
    }
    fadeTail(wave, 0.1);
    return toSample(std::move(wave));
}

std::vector<std::int8_t> softLead(int cycle, int cycles) {
    std::vector<double> wave;
    for (int c = 0; c < cycles; ++c) {
        for (int i = 0; i < cycle; ++i) {
            const double x = 2.0 * kPi * i / cycle;
            wave.push_back(std::sin(x) + 0.25 * std::sin(2.0 * x) + 0.12 * std::sin(3.0 * x));
        }
    }
    return toSample(std::move(wave), false);
}

std::vector<std::int8_t> kick(double rate) {
    // A sine that drops from 120 Hz to 45 Hz as it dies away.
    const auto length = static_cast<std::size_t>(0.3 * rate);
    std::vector<double> wave(length);
    double phase = 0.0;
    for (std::size_t i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double hertz = 45.0 + 75.0 * std::exp(-t / 0.04);
        phase += 2.0 * kPi * hertz / rate;
        wave[i] = std::sin(phase) * std::exp(-t / 0.1);
    }
    fadeTail(wave, 0.2);
    return toSample(std::move(wave));
}

std::vector<std::int8_t> snare(double rate, std::uint32_t seed) {
    // Noise for the wires over a short 185 Hz body.
    Noise noise(seed);
    const auto length = static_cast<std::size_t>(0.22 * rate);
    std::vector<double> wave(length);
    for (std::size_t i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / rate;
        wave[i] = 0.7 * noise.next() * std::exp(-t / 0.06) + 0.6 * std::sin(2.0 * kPi * 185.0 * t) * std::exp(-t / 0.04);
    }
    fadeTail(wave, 0.2);
    return toSample(std::move(wave));
}

std::vector<std::int8_t> hat(double rate, std::uint32_t seed) {
    // The difference of successive noise values: noise with its low end removed.
    Noise noise(seed);
    const auto length = static_cast<std::size_t>(0.07 * rate);
    std::vector<double> wave(length);
    double previous = 0.0;
    for (std::size_t i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double value = noise.next();
        wave[i] = (value - previous) * std::exp(-t / 0.02);
        previous = value;
    }
    fadeTail(wave, 0.2);
    return toSample(std::move(wave));
}

} // namespace makemusic
