// evaluateAscending finds its segment by bisection: for keys that ascend in time it must give
// exactly what evaluate's scan from key 0 gives, at keys, between them, before the first and
// after the last, for every family.
#include "curves/LinearQuaternionCurve.h"
#include "curves/TCBCurve.h"

#include <gtest/gtest.h>

#include <random>

namespace zamp {
namespace {

TEST(AscendingSearch, BisectionFindsTheSegmentTheScanFinds) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> step(0.001f, 0.5f), value(-10, 10), parameter(-1, 1);
    for (int round = 0; round < 20; ++round) {
        TCBCurve<Vec3> position;
        LinearQuaternionCurve rotation;
        std::vector<float> times;
        float t = value(random);
        const int keys = 2 + round * 7;
        for (int k = 0; k < keys; ++k) {
            t += step(random);
            times.push_back(t);
            position.addKey({t, parameter(random), parameter(random), parameter(random), {value(random), value(random), value(random)}});
            rotation.addKey({t, {0, std::sin(value(random)), 0, std::cos(value(random))}});
        }
        std::vector<float> probes = {times.front() - 1, times.back(), times.back() + 1};
        for (std::size_t k = 0; k + 1 < times.size(); ++k)
            probes.insert(probes.end(), {times[k], (times[k] + times[k + 1]) / 2, std::nextafter(times[k + 1], times[k])});
        for (float probe : probes) {
            const Vec3 a = position.evaluate(probe), b = position.evaluateAscending(probe);
            EXPECT_EQ(a.x, b.x) << "round " << round << " at " << probe;
            EXPECT_EQ(a.y, b.y);
            EXPECT_EQ(a.z, b.z);
            const Quaternion p = rotation.evaluate(probe), q = rotation.evaluateAscending(probe);
            EXPECT_EQ(p.y, q.y) << "round " << round << " at " << probe;
            EXPECT_EQ(p.w, q.w);
        }
    }
}

} // namespace
} // namespace zamp
