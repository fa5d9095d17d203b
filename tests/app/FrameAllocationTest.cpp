// Drawing a frame must not touch the heap: a show runs for minutes at hundreds of frames per
// second, and the player's frame is fixed work. The test program counts the heap allocations
// made on the drawing thread (support/AllocationCounter.h), the driver's included.
#include "app/DemoApp.h"
#include "show/Show.h"
#include "support/AllocationCounter.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>


namespace zamp {
namespace {

TEST(FrameAllocations, FramesOfTheExampleShowAllocateNothingOnceEachStateWasDrawn) {
    test::OffscreenGl gl(320, 240); // small: what is counted does not depend on the size
    DemoApp app;
    app.attachDevice(gl.device());
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(ZAMP_EXAMPLE_SHOW_DIR);
    const ScriptRun status = app.loadShow("data/script.lua");
    std::filesystem::current_path(previous);
    ASSERT_EQ(status, ScriptRun::Finished);

    std::vector<float> times;
    for (float t = 0; t < app.show->endTime; t += 1.0f) times.push_back(t);
    auto drawAll = [&] {
        for (float t : times) {
            app.demoTime = t;
            app.renderFrame();
        }
    };
    // The first passes make what the device and the driver keep: GL copies of meshes, a
    // program per shape, the driver's code for each combination of program and state. Two
    // of them, as state carries over from one frame to the next: the second pass starts
    // after the show's last frame, the first after nothing.
    const long before = zamp::test::allocationsOnThisThread();
    drawAll();
    drawAll();
    const long warm = zamp::test::allocationsOnThisThread();
    drawAll();
    EXPECT_EQ(zamp::test::allocationsOnThisThread() - warm, 0) << "over " << times.size() << " frames";
    // The count sees the device's own allocations: the first pass made some.
    EXPECT_GT(warm - before, 0);
}

} // namespace
} // namespace zamp
