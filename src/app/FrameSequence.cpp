#include "app/FrameSequence.h"

#include "core/Error.h"

#include <cmath>
#include <cstdio>

namespace zamp {

namespace {

// Frame numbers have six digits and more: past a billion frames (over half a year at 60
// frames a second) a render is no longer something to wait for.
constexpr double kMostFrames = 1e9;

std::string seconds(float t) {
    char text[48];
    std::snprintf(text, sizeof text, "%g", double(t));
    return text;
}

} // namespace

FrameSequence FrameSequence::untilEnd(float start, float end, double fps) {
    if (!std::isfinite(end)) throw Error("endtime(" + seconds(end) + ") cannot be rendered: the end time must be a number of seconds");
    FrameSequence s;
    s.start_ = start;
    s.fps_ = fps;
    const double estimate = std::floor((double(end) - double(start)) * fps);
    if (estimate > kMostFrames)
        throw Error("The show from " + seconds(start) + " s to " + seconds(end) + " s has more frames than a render can write at " +
                    std::to_string(fps) + " frames per second.");
    // The float arithmetic of the frame times decides; the estimate is off by a frame at most.
    long k = estimate > 0 ? long(estimate) : 0;
    while (k > 0 && !(s.timeOf(k - 1) < end)) --k;
    while (s.timeOf(k) < end) ++k;
    s.count_ = k;
    return s;
}

FrameSequence FrameSequence::atTimes(const std::vector<double>& times) {
    FrameSequence s;
    for (double t : times) s.times_.push_back(float(t));
    s.count_ = long(s.times_.size());
    return s;
}

float FrameSequence::timeOf(long k) const {
    return times_.empty() ? float(double(start_) + double(k) / fps_) : times_[std::size_t(k)];
}

std::optional<FrameRange> parseFrameRange(const std::string& text) {
    long first = 0, last = 0;
    int used = 0;
    if (std::sscanf(text.c_str(), "%ld:%ld%n", &first, &last, &used) != 2 || std::size_t(used) != text.size() ||
        first < 0 || last < first || text.find_first_of("+- ") != std::string::npos)
        return std::nullopt;
    return FrameRange{first, last};
}

} // namespace zamp
