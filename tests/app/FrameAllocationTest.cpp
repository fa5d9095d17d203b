// Drawing a frame must not touch the heap: a show runs for minutes at hundreds of frames per
// second, and the player's frame is fixed work. This file replaces the global allocator of
// the test program to count the calls made on the drawing thread, the driver's included.
#include "app/DemoApp.h"
#include "show/Show.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <new>
#include <vector>

namespace {
thread_local long allocations = 0;
}

#if defined(__GNUC__) && !defined(__clang__)
// GCC may match the free() below against an inlined new expression and warn; both sides of
// this allocator are malloc and free.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { ::operator delete(p); }

namespace zamp {
namespace {

TEST(FrameAllocations, FramesOfTheExampleShowAllocateNothingOnceEachStateWasDrawn) {
    test::OffscreenGl gl(320, 240); // small: what is counted does not depend on the size
    DemoApp app;
    app.attachDevice(gl.device());
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(ZAMP_EXAMPLE_SHOW_DIR);
    const int status = app.loadShow("data/script.lua");
    std::filesystem::current_path(previous);
    ASSERT_EQ(status, 0);

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
    const long before = allocations;
    drawAll();
    drawAll();
    const long warm = allocations;
    drawAll();
    EXPECT_EQ(allocations - warm, 0) << "over " << times.size() << " frames";
    // The count sees the device's own allocations: the first pass made some.
    EXPECT_GT(warm - before, 0);
}

} // namespace
} // namespace zamp
