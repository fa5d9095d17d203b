#include "app/PngFrameWriter.h"

#include "core/Error.h"
#include "core/FileWrite.h"
#include "gfx/PngEncoder.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zamp {

namespace {


} // namespace

int PngFrameWriter::suitableWorkers() {
    // The drawing thread (and the renderer's own threads) keep one core busy.
    const int cores = int(std::thread::hardware_concurrency());
    return std::clamp(cores - 1, 1, 4);
}

PngFrameWriter::PngFrameWriter(int workers) {
    workers = std::max(1, workers);
    // One buffer being read into, one waiting, and one per worker.
    jobs_.resize(std::size_t(workers) + 2);
    for (int i = 0; i < workers; ++i) workers_.emplace_back([this] { work(); });
}

PngFrameWriter::~PngFrameWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& t : workers_) t.join();
}

void PngFrameWriter::throwFailure() {
    if (failure_) std::rethrow_exception(failure_);
}

RgbImage& PngFrameWriter::buffer() {
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

void PngFrameWriter::write(std::string path) {
    {
        std::lock_guard lock(mutex_);
        filling_->path = std::move(path);
        filling_->sequence = handedOver_++;
        filling_->state = State::Queued;
        filling_ = nullptr;
    }
    changed_.notify_all();
}

void PngFrameWriter::finish() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return written_ == handedOver_; });
    throwFailure();
}

void PngFrameWriter::work() {
    PngEncoder encoder;
    std::unique_lock lock(mutex_);
    for (;;) {
        // The oldest frame waiting, so that frames are encoded about in order.
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
        const std::vector<std::uint8_t>* bytes = nullptr;
        try {
            bytes = &encoder.encode(job->image);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        // Files are written in the order handed over.
        changed_.wait(lock, [&] { return written_ == job->sequence; });
        if (!failure && !failure_) {
            lock.unlock();
            try {
                writeFileReplacing(job->path, *bytes);
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

} // namespace zamp
