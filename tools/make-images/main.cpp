// Writes the example show's pictures into a folder: a logo with soft alpha edges, a
// checkerboard for scene materials, a colour wheel and a vignette.
#include "core/Error.h"
#include "platform/Platform.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

namespace {

using zamp::ArgbImage;

std::uint32_t argb(double a, double r, double g, double b) {
    auto byte = [](double v) { return std::uint32_t(std::lround(std::fmin(1.0, std::fmax(0.0, v)) * 255)); };
    return byte(a) << 24 | byte(r) << 16 | byte(g) << 8 | byte(b);
}

ArgbImage paint(int w, int h, const std::function<std::uint32_t(double u, double v)>& f) {
    ArgbImage image{w, h, std::vector<std::uint32_t>(std::size_t(w) * h)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.pixels[std::size_t(y) * w + x] = f((x + 0.5) / w, (y + 0.5) / h);
    return image;
}

// Smooth 0..1 step.
double smooth(double e0, double e1, double x) {
    double t = std::fmin(1.0, std::fmax(0.0, (x - e0) / (e1 - e0)));
    return t * t * (3 - 2 * t);
}

// A ring with the letter Z across it, soft-edged in alpha.
std::uint32_t logo(double u, double v) {
    double x = u * 2 - 1, y = v * 2 - 1, r = std::sqrt(x * x + y * y);
    double ring = smooth(0.02, 0.0, std::fabs(r - 0.8) - 0.08);
    bool inside = std::fabs(x) < 0.5 && std::fabs(y) < 0.5;
    double bars = inside && (std::fabs(y) > 0.38 || std::fabs(x + y) < 0.1) ? 1.0 : 0.0;
    double a = std::fmax(ring, bars);
    return argb(a, 1.0, 0.75 + 0.25 * v, 0.3 + 0.6 * u);
}

std::uint32_t checker(double u, double v) {
    bool dark = (int(u * 8) + int(v * 8)) % 2 == 0;
    return dark ? argb(1, 0.15, 0.2, 0.45) : argb(1, 0.9, 0.85, 0.6);
}

std::uint32_t wheel(double u, double v) {
    double x = u * 2 - 1, y = v * 2 - 1, angle = std::atan2(y, x), r = std::sqrt(x * x + y * y);
    double h = (angle + M_PI) / (2 * M_PI) * 6;
    auto c = [&](double shift) { return std::fmin(1.0, std::fmax(0.0, std::fabs(std::fmod(h + shift, 6.0) - 3) - 1)); };
    return argb(smooth(1.0, 0.95, r), c(0), c(4), c(2));
}

std::uint32_t vignette(double u, double v) {
    double x = u * 2 - 1, y = v * 2 - 1;
    return argb(smooth(0.6, 1.5, std::sqrt(x * x + y * y)), 0, 0, 0);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-images OUT_DIR\n");
        return 2;
    }
    std::string dir = argv[1];
    try {
        const auto files = zamp::openImageFiles();
        files->writePng(dir + "/logo.png", paint(256, 256, logo));
        files->writePng(dir + "/checker.png", paint(128, 128, checker));
        files->writePng(dir + "/wheel.png", paint(256, 256, wheel));
        files->writePng(dir + "/vignette.png", paint(512, 384, vignette));
    } catch (const zamp::Error& error) {
        std::fprintf(stderr, "make-images: %s\n", error.what());
        return 1;
    }
    return 0;
}
