// Keys for the player's curves that replay a source motion. Position keys get the tension,
// continuity and bias that make the player's Kochanek-Bartels segment between two keys a
// straight line at constant speed; rotation keys are the player's spherical interpolation.
// Both are therefore exact for motion that is linear between its keys (the usual exported
// animation); motion that is curved between the source's keys (a child carried round by a
// turning parent) gets more keys until the player's own curves, evaluated at many times,
// stay within the tolerance.
#pragma once

#include "siv/SivFormat.h"

#include <functional>
#include <optional>
#include <vector>

namespace zamp::sivtool {

struct MotionTolerance {
    double distance = 0; // largest distance between played and source positions
    double degrees = 0;  // largest angle between played and source rotations (or view directions)
};

// What one object does over time, in the player's coordinates. A mesh has a rotation, a
// camera a target; each is optional.
struct SourceMotion {
    std::function<Vec3(double)> position;
    std::function<Quaternion(double)> rotation;
    std::function<Vec3(double)> target;
};

struct FittedMotion {
    std::vector<SivKey> position, rotation, target;
    // The largest differences measured between the keys, with the player's curves.
    double worstDistance = 0;
    double worstDegrees = 0;
    bool withinTolerance = true;
};

// Keys at `keyTimes` (seconds, ascending; a key at 0 is added in front when the first is
// later, because the player shows the last key's value before the first) and wherever
// needed between them. Probes every segment at kProbesPerSegment times.
FittedMotion fitMotion(const SourceMotion& source, std::vector<double> keyTimes, const MotionTolerance& tolerance);

inline constexpr int kProbesPerSegment = 24;

// Tension, continuity and bias for position key k of keys at `times` (float seconds, as the
// player reads them) that make every segment the straight line between its two keys.
struct StraightSegmentParameters {
    float tension, continuity, bias;
};
StraightSegmentParameters straightSegmentParameters(const std::vector<float>& times, std::size_t k);

// The angle in degrees between two rotations (either sign of each quaternion).
double rotationDegrees(const Quaternion& a, const Quaternion& b);
// The angle in degrees between two directions.
double directionDegrees(const Vec3& a, const Vec3& b);

} // namespace zamp::sivtool
