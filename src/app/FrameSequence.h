// The frames --render draws: frame k at demo time start + k / fps for every k whose time is
// below the end time (counted, not listed, so a long show costs no memory), or one frame per
// --at time; and the part of them that --frames asks for.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zamp {

class FrameSequence {
public:
    // Throws an Error naming the end time when it is not finite, or when the show would have
    // more frames than a render can number.
    static FrameSequence untilEnd(float start, float end, double fps);
    static FrameSequence atTimes(const std::vector<double>& times);

    long count() const { return count_; }
    float timeOf(long k) const;
    bool followsTheClock() const { return times_.empty(); }
    double fps() const { return fps_; }

private:
    FrameSequence() = default;
    float start_ = 0;
    double fps_ = 0;
    long count_ = 0;
    std::vector<float> times_; // --at
};

// Frames FIRST..LAST (inclusive) of a sequence.
struct FrameRange {
    long first = 0;
    long last = 0;
};

// Reads "FIRST:LAST"; nothing when the text is not two whole numbers with FIRST <= LAST.
std::optional<FrameRange> parseFrameRange(const std::string& text);

} // namespace zamp
