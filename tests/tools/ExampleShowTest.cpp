// The example show's hall as the build made it: its camera keeps the near plane (1 unit in
// front of the eye) clear of the tumbling torus and the pillars for the whole flight.
#include "show/SivTracks.h"
#include "siv/SivParse.h"
#include "siv/SivTrackIndex.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zamp {
namespace {

TEST(ExampleShow, HallCameraNeverFliesThroughTheTorusOrThePillars) {
    const SivFile hall = readSivFile(std::string(ZAMP_EXAMPLE_DATA) + "/hall.siv");
    ASSERT_EQ(hall.cameras.size(), 1u);
    const SceneCamera camera = buildSivCamera(hall.cameras[0], SivTrackIndex(hall.tracks));
    // The torus (radius 2.5, tube 0.7) tumbles about its centre at (0, 3.5, 0).
    const double torusReach = 2.5 + 0.7, nearPlane = 1.0;
    for (int i = 0; i <= 1600; ++i) {
        const float t = 16.0f * float(i) / 1600; // the layer shows 16 seconds of it
        const Vec3 eye = camera.position.evaluate(t);
        const double toTorus = std::sqrt(eye.x * eye.x + (eye.y - 3.5) * (eye.y - 3.5) + eye.z * eye.z);
        ASSERT_GT(toTorus, torusReach + nearPlane + 0.5) << "at " << t;
        for (float px : {-9.0f, 9.0f})
            for (float pz : {-9.0f, 9.0f})
                ASSERT_GT(std::hypot(eye.x - px, eye.z - pz), 0.71 + nearPlane) << "pillar at " << t;
    }
}

} // namespace
} // namespace zamp
