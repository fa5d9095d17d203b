#include "import/MotionFit.h"

#include "curves/LinearQuaternionCurve.h"
#include "curves/TCBCurve.h"

#include <algorithm>
#include <cmath>

namespace zamp::sivtool {

namespace {

// No segment is split below this length: key times are 32-bit floats.
constexpr double kShortestSegment = 1e-3;
// A motion never gets more keys than this per track.
constexpr std::size_t kMostKeys = 20000;

double distance(const Vec3& a, const Vec3& b) {
    return std::sqrt(double(a.x - b.x) * (a.x - b.x) + double(a.y - b.y) * (a.y - b.y) +
                     double(a.z - b.z) * (a.z - b.z));
}

Vec3 minus(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

std::vector<SivKey> positionKeys(const std::vector<float>& times, const std::function<Vec3(double)>& at) {
    std::vector<SivKey> keys;
    for (std::size_t k = 0; k < times.size(); ++k) {
        SivKey key{};
        key.time = times[k];
        key.value = at(times[k]);
        const StraightSegmentParameters p = straightSegmentParameters(times, k);
        key.tension = p.tension;
        key.continuity = p.continuity;
        key.bias = p.bias;
        keys.push_back(key);
    }
    return keys;
}

std::vector<SivKey> rotationKeys(const std::vector<float>& times, const std::function<Quaternion(double)>& at) {
    std::vector<SivKey> keys;
    for (float t : times) {
        const Quaternion q = at(t);
        SivKey key{};
        key.time = t;
        key.value = {q.x, q.y, q.z};
        key.w = q.w;
        keys.push_back(key);
    }
    return keys;
}

TCBCurve<Vec3> positionCurve(const std::vector<SivKey>& keys) {
    TCBCurve<Vec3> curve;
    for (const SivKey& k : keys) curve.addKey({k.time, k.tension, k.continuity, k.bias, k.value});
    return curve;
}

LinearQuaternionCurve rotationCurve(const std::vector<SivKey>& keys) {
    LinearQuaternionCurve curve;
    for (const SivKey& k : keys) curve.addKey({k.time, {k.value.x, k.value.y, k.value.z, k.w}});
    return curve;
}

struct Errors {
    double distance = 0, degrees = 0;
};

// The largest differences inside the segment from `t0` to `t1`, the player's curves against
// the source.
Errors segmentErrors(const SourceMotion& source, float t0, float t1,
                     const TCBCurve<Vec3>& position, const LinearQuaternionCurve* rotation,
                     const TCBCurve<Vec3>* target) {
    Errors worst;
    for (int i = 0; i <= kProbesPerSegment; ++i) {
        const float t = i == kProbesPerSegment ? t1 : t0 + (t1 - t0) * float(i) / kProbesPerSegment;
        const Vec3 eye = position.evaluateAscending(t);
        const Vec3 sourceEye = source.position(t);
        worst.distance = std::max(worst.distance, distance(eye, sourceEye));
        if (rotation) worst.degrees = std::max(worst.degrees, rotationDegrees(rotation->evaluateAscending(t), source.rotation(t)));
        if (target) {
            const Vec3 played = minus(target->evaluateAscending(t), eye);
            const Vec3 wanted = minus(source.target(t), sourceEye);
            worst.degrees = std::max(worst.degrees, directionDegrees(played, wanted));
        }
    }
    return worst;
}

} // namespace

StraightSegmentParameters straightSegmentParameters(const std::vector<float>& times, std::size_t k) {
    // At the ends the tangent is one chord times (1 - T)(1 - C)(1 -/+ B): T = 0.5, C = -1 make
    // it the chord itself. Inside, C = -1 drops the far chord from each tangent, and T and B
    // scale the near chord by the time adjustment the player applies, so both tangents at a
    // key equal their own segment's chord.
    if (k == 0 || k + 1 >= times.size()) return {0.5f, -1.0f, 0.0f};
    const double before = double(times[k]) - times[k - 1];
    const double after = double(times[k + 1]) - times[k];
    const double open = (before + after) * (1.0 / after + 1.0 / before) / 4.0;
    return {float(1.0 - open), -1.0f, float((after - before) / (after + before))};
}

double rotationDegrees(const Quaternion& a, const Quaternion& b) {
    const double na = std::sqrt(double(a.x) * a.x + double(a.y) * a.y + double(a.z) * a.z + double(a.w) * a.w);
    const double nb = std::sqrt(double(b.x) * b.x + double(b.y) * b.y + double(b.z) * b.z + double(b.w) * b.w);
    const double dot = (double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z + double(a.w) * b.w) / (na * nb);
    return 2.0 * std::acos(std::min(1.0, std::fabs(dot))) * 180.0 / M_PI;
}

double directionDegrees(const Vec3& a, const Vec3& b) {
    const double la = distance(a, Vec3{}), lb = distance(b, Vec3{});
    if (la == 0 || lb == 0) return la == lb ? 0.0 : 180.0;
    const double dot = (double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z) / (la * lb);
    return std::acos(std::clamp(dot, -1.0, 1.0)) * 180.0 / M_PI;
}

FittedMotion fitMotion(const SourceMotion& source, std::vector<double> keyTimes, const MotionTolerance& tolerance) {
    std::vector<float> times;
    for (double t : keyTimes) {
        const float f = float(t);
        if (times.empty() || f > times.back()) times.push_back(f);
    }
    if (times.empty()) times.push_back(0.0f);
    if (times.front() > 0.0f) times.insert(times.begin(), 0.0f);

    FittedMotion fit;
    for (;;) {
        fit.position = positionKeys(times, source.position);
        if (source.rotation) fit.rotation = rotationKeys(times, source.rotation);
        if (source.target) fit.target = positionKeys(times, source.target);
        const TCBCurve<Vec3> position = positionCurve(fit.position);
        const LinearQuaternionCurve rotation = rotationCurve(fit.rotation);
        const TCBCurve<Vec3> target = positionCurve(fit.target);

        fit.worstDistance = fit.worstDegrees = 0;
        fit.withinTolerance = true;
        std::vector<float> refined;
        for (std::size_t k = 0; k < times.size(); ++k) {
            refined.push_back(times[k]);
            if (k + 1 == times.size()) break;
            const Errors e = segmentErrors(source, times[k], times[k + 1], position,
                                           source.rotation ? &rotation : nullptr, source.target ? &target : nullptr);
            fit.worstDistance = std::max(fit.worstDistance, e.distance);
            fit.worstDegrees = std::max(fit.worstDegrees, e.degrees);
            const bool over = e.distance > tolerance.distance || e.degrees > tolerance.degrees;
            if (!over) continue;
            const float middle = times[k] + (times[k + 1] - times[k]) / 2;
            if (times[k + 1] - times[k] > kShortestSegment && middle > times[k] && middle < times[k + 1])
                refined.push_back(middle);
            else
                fit.withinTolerance = false;
        }
        if (refined.size() == times.size() || refined.size() > kMostKeys) {
            if (refined.size() != times.size()) fit.withinTolerance = false;
            return fit;
        }
        times = std::move(refined);
    }
}

} // namespace zamp::sivtool
