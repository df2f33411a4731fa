#include "recognition/offline_read_ahead.h"

#include <algorithm>
#include <cstdlib>

#include "platform/cancellation.h"

unsigned OfflineLaneCount() {
    // TAVIOCR_ENGINE_LANES caps them (1: one picture at a time), for a
    // computer short of memory: each engine holds a model and a page.
    if (const char* lanes = std::getenv("TAVIOCR_ENGINE_LANES"))
        if (const long n = std::strtol(lanes, nullptr, 10); n >= 1 && n <= 64)
            return static_cast<unsigned>(n);
    return std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
}

OfflineReadAhead::OfflineReadAhead(const std::vector<std::wstring>& paths, unsigned lanes,
                                   Reader reader, const std::atomic<bool>* cancelled)
    : paths_(paths),
      reader_(std::move(reader)),
      cancelled_(cancelled),
      window_(2 * std::max(1u, lanes)),
      outcomes_(paths.size()) {
    const unsigned count = static_cast<unsigned>(std::min<std::size_t>(lanes, paths.size()));
    for (unsigned lane = 0; lane < count; ++lane)
        lanes_.emplace_back([this, lane] { RunLane(lane); });
}

OfflineReadAhead::~OfflineReadAhead() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& lane : lanes_) lane.join();
}

void OfflineReadAhead::RunLane(unsigned lane) {
    const ScopedCancel cancel(cancelled_);
    for (;;) {
        std::size_t position;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] {
                return stopping_ || next_ >= paths_.size() || next_ < taken_ + window_;
            });
            if (stopping_ || next_ >= paths_.size() || WorkCancelled()) return;
            position = next_++;
        }
        OfflineOutcome outcome = reader_(paths_[position], lane);
        {
            const std::lock_guard lock(mutex_);
            outcomes_[position] = std::move(outcome);
        }
        changed_.notify_all();
    }
}

OfflineOutcome OfflineReadAhead::Take(std::size_t position) {
    std::unique_lock lock(mutex_);
    // A cancel is looked at in slices: no lane may be left to fill the place.
    while (!outcomes_[position] && !WorkCancelled())
        changed_.wait_for(lock, std::chrono::milliseconds(200));
    OfflineOutcome outcome =
        outcomes_[position] ? std::move(*outcomes_[position]) : OfflineOutcome{};
    outcomes_[position].reset();
    taken_ = std::max(taken_, position + 1);
    lock.unlock();
    changed_.notify_all();
    return outcome;
}
