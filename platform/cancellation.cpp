#include "platform/cancellation.h"

namespace {

std::atomic<bool> g_processCancelled{false};
thread_local const std::atomic<bool>* t_threadFlag = nullptr;

}  // namespace

void CancelPendingWork() { g_processCancelled = true; }

bool WorkCancelled() { return g_processCancelled || (t_threadFlag && *t_threadFlag); }

ScopedCancel::ScopedCancel(const std::atomic<bool>* flag) : previous_(t_threadFlag) {
    t_threadFlag = flag;
}

ScopedCancel::~ScopedCancel() { t_threadFlag = previous_; }
