#pragma once

#include <csignal>

// For the loopback servers run as programs: returns once SIGINT or SIGTERM comes.
inline void WaitForStopSignal() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    int received = 0;
    sigwait(&signals, &received);
}
