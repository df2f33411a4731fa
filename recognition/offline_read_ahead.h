#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "recognition/recognition_interfaces.h"

// What one attempt of the local engine gave for a picture.
struct OfflineOutcome {
    bool read = false;  // a non-empty text
    std::wstring text;
    std::vector<EngineLine> lines;
    bool foundNoText = false;
    std::wstring missingPackage;
};

// Reads a batch's pictures with the local engine ahead of the worker, one
// single-threaded engine per lane, so that every core reads; the worker
// takes the outcomes in the batch's order. Lanes run at most a few pictures
// ahead of the one taken last, which bounds the outcomes held.
class OfflineReadAhead {
public:
    using Reader = std::function<OfflineOutcome(const std::wstring& path, unsigned lane)>;

    // cancelled ends the lanes' waits and engines early (as the job's cancel does).
    OfflineReadAhead(const std::vector<std::wstring>& paths, unsigned lanes, Reader reader,
                     const std::atomic<bool>* cancelled);
    // Stops the lanes after the pictures they are reading.
    ~OfflineReadAhead();
    OfflineReadAhead(const OfflineReadAhead&) = delete;
    OfflineReadAhead& operator=(const OfflineReadAhead&) = delete;

    // The outcome of the picture at position, once read; taken in order.
    OfflineOutcome Take(std::size_t position);

private:
    void RunLane(unsigned lane);

    const std::vector<std::wstring>& paths_;
    const Reader reader_;
    const std::atomic<bool>* cancelled_;
    const std::size_t window_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::optional<OfflineOutcome>> outcomes_;
    std::size_t next_ = 0;   // the next picture a lane takes
    std::size_t taken_ = 0;  // pictures the worker has taken
    bool stopping_ = false;
    std::vector<std::thread> lanes_;
};

// How many engines read side by side on this computer.
unsigned OfflineLaneCount();
