#pragma once

#include <atomic>

// Work that someone stopped waiting for ends early. Every transfer of the
// program (libcurl, the plain socket, Qt Network) and every wait for the
// offline engine looks at this while it runs and gives up within a fraction
// of a second once it is set: for the whole process at exit, or for the
// requests of one thread (a dialog whose request the user cancelled).

// Ends every transfer and wait of the process, now and later.
void CancelPendingWork();
// True once the process or the calling thread's work has been cancelled.
bool WorkCancelled();

// While it lives, the calling thread's work also ends once *flag is set.
class ScopedCancel {
public:
    explicit ScopedCancel(const std::atomic<bool>* flag);
    ~ScopedCancel();
    ScopedCancel(const ScopedCancel&) = delete;
    ScopedCancel& operator=(const ScopedCancel&) = delete;

private:
    const std::atomic<bool>* previous_;
};
