// The frames of --render written as PNG files on worker threads while the next frames are
// drawn. Files are written one after another in the order the frames were handed over, each
// complete (closed) before the next is begun; the pictures are read into buffers of a small
// pool that go round, so a long render neither allocates per frame nor runs ahead of its
// writers by more than the pool.
#pragma once

#include "gfx/Pixels.h"

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zamp {

class PngFrameWriter {
public:
    // `workers` encoding threads, at least one.
    explicit PngFrameWriter(int workers);
    // Writes what was handed over, then stops; a failure here is not reported.
    ~PngFrameWriter();
    PngFrameWriter(const PngFrameWriter&) = delete;
    PngFrameWriter& operator=(const PngFrameWriter&) = delete;

    // A picture to read the next frame into; waits while every buffer is in use. Throws the
    // first failure of a write (an Error naming the file).
    RgbImage& buffer();
    // Hands over the picture last taken with `buffer`, to be written to `path`.
    void write(std::string path);
    // Waits until every frame handed over is written; throws the first failure.
    void finish();

    // A number of workers that keeps drawing and writing busy on this machine.
    static int suitableWorkers();

private:
    enum class State { Free, Filling, Queued, Writing };
    struct Job {
        RgbImage image;
        std::string path;
        std::uint64_t sequence = 0;
        State state = State::Free;
    };

    void work();
    void throwFailure();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Job> jobs_;
    Job* filling_ = nullptr;
    std::uint64_t handedOver_ = 0, written_ = 0;
    std::exception_ptr failure_;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

} // namespace zamp
