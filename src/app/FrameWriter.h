// The frames of --render handed to worker threads while the next frames are drawn. Each
// worker has a stage of its own: its work that needs no order (a PNG's compression) runs
// beside the other workers', what needs the order (writing a file, feeding an encoder) runs
// for one frame after another, in the order the frames were handed over. The pictures are
// read into buffers of a small pool that go round, so a long render neither allocates per
// frame nor runs ahead of its writers by more than the pool.
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

class FrameStage {
public:
    virtual ~FrameStage() = default;
    // On the stage's own thread, beside the other stages.
    virtual void prepare(const RgbImage&) {}
    // In the order the frames were handed over, after this stage's `prepare` of the frame.
    virtual void commit(const RgbImage& frame, const std::string& name) = 0;
};

class FrameWriter {
public:
    // One thread for each stage, at least one stage.
    explicit FrameWriter(std::vector<std::unique_ptr<FrameStage>> stages);
    // Writes what was handed over, then stops; a failure here is not reported.
    ~FrameWriter();
    FrameWriter(const FrameWriter&) = delete;
    FrameWriter& operator=(const FrameWriter&) = delete;

    // A picture to read the next frame into; waits while every buffer is in use. Throws the
    // first failure of a stage.
    RgbImage& buffer();
    // Hands over the picture last taken with `buffer`, under `name` (the PNG file's path).
    void write(std::string name);
    // Waits until every frame handed over is written; throws the first failure.
    void finish();

private:
    enum class State { Free, Filling, Queued, Writing };
    struct Job {
        RgbImage image;
        std::string name;
        std::uint64_t sequence = 0;
        State state = State::Free;
    };

    void work(FrameStage& stage);
    void throwFailure();

    std::vector<std::unique_ptr<FrameStage>> stages_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Job> jobs_;
    Job* filling_ = nullptr;
    std::uint64_t handedOver_ = 0, written_ = 0;
    std::exception_ptr failure_;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

// Frames as PNG files, compressed on `workers` threads (at least one), each file complete
// (closed) before the next is begun.
class PngFrameWriter : public FrameWriter {
public:
    explicit PngFrameWriter(int workers);

    // A number of workers that keeps drawing and writing busy on this machine.
    static int suitableWorkers();
};

} // namespace zamp
