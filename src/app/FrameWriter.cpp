#include "app/FrameWriter.h"

#include "core/FileWrite.h"
#include "gfx/PngEncoder.h"

#include <algorithm>

namespace zamp {

FrameWriter::FrameWriter(std::vector<std::unique_ptr<FrameStage>> stages) : stages_(std::move(stages)) {
    // One buffer being read into, one waiting, and one per worker.
    jobs_.resize(stages_.size() + 2);
    for (auto& stage : stages_) workers_.emplace_back([this, s = stage.get()] { work(*s); });
}

FrameWriter::~FrameWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& t : workers_) t.join();
}

void FrameWriter::throwFailure() {
    if (failure_) std::rethrow_exception(failure_);
}

RgbImage& FrameWriter::buffer() {
    std::unique_lock lock(mutex_);
    Job* free = nullptr;
    changed_.wait(lock, [&] {
        if (failure_) return true;
        auto it = std::find_if(jobs_.begin(), jobs_.end(), [](const Job& j) { return j.state == State::Free; });
        free = it == jobs_.end() ? nullptr : &*it;
        return free != nullptr;
    });
    throwFailure();
    free->state = State::Filling;
    filling_ = free;
    return free->image;
}

void FrameWriter::write(std::string name) {
    {
        std::lock_guard lock(mutex_);
        filling_->name = std::move(name);
        filling_->sequence = handedOver_++;
        filling_->state = State::Queued;
        filling_ = nullptr;
    }
    changed_.notify_all();
}

void FrameWriter::finish() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return written_ == handedOver_; });
    throwFailure();
}

void FrameWriter::work(FrameStage& stage) {
    std::unique_lock lock(mutex_);
    for (;;) {
        // The oldest frame waiting, so that frames are prepared about in order.
        Job* job = nullptr;
        changed_.wait(lock, [&] {
            for (Job& j : jobs_)
                if (j.state == State::Queued && (!job || j.sequence < job->sequence)) job = &j;
            return job != nullptr || stopping_;
        });
        if (!job) return;
        job->state = State::Writing;
        lock.unlock();
        std::exception_ptr failure;
        try {
            stage.prepare(job->image);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        changed_.wait(lock, [&] { return written_ == job->sequence; });
        if (!failure && !failure_) {
            lock.unlock();
            try {
                stage.commit(job->image, job->name);
            } catch (...) {
                failure = std::current_exception();
            }
            lock.lock();
        }
        if (failure && !failure_) failure_ = failure;
        ++written_;
        job->state = State::Free;
        changed_.notify_all();
    }
}

namespace {

class PngStage final : public FrameStage {
public:
    void prepare(const RgbImage& frame) override { bytes_ = &encoder_.encode(frame); }
    void commit(const RgbImage&, const std::string& path) override { writeFileReplacing(path, *bytes_); }

private:
    PngEncoder encoder_;
    const std::vector<std::uint8_t>* bytes_ = nullptr;
};

std::vector<std::unique_ptr<FrameStage>> pngStages(int workers) {
    std::vector<std::unique_ptr<FrameStage>> stages;
    for (int i = 0; i < std::max(1, workers); ++i) stages.push_back(std::make_unique<PngStage>());
    return stages;
}

} // namespace

PngFrameWriter::PngFrameWriter(int workers) : FrameWriter(pngStages(workers)) {}

int PngFrameWriter::suitableWorkers() {
    // The drawing thread (and the renderer's own threads) keep one core busy.
    const int cores = int(std::thread::hardware_concurrency());
    return std::clamp(cores - 1, 1, 4);
}

} // namespace zamp
