// Start-up of the window program on the X server: the time from starting the
// process to the first paint of its main window (the program writes that
// moment to TAVIOCR_FIRST_PAINT_FILE), and its resident memory once idle.

#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "support/private_user.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

long long MonotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

struct Started {
    pid_t pid = -1;
    long long paintedAt = 0;  // 0: never painted
};

Started StartUntilPainted(const fs::path& probe) {
    fs::remove(probe);
    ::setenv("TAVIOCR_FIRST_PAINT_FILE", probe.c_str(), 1);
    Started started;
    const std::string program = std::string(TAVIOCR_OUT_DIR) + "/taviocr";
    started.pid = ::fork();
    if (started.pid == 0) {
        ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < deadline) {
        std::ifstream in(probe);
        long long value = 0;
        if (in >> value) {
            started.paintedAt = value;
            break;
        }
        std::this_thread::sleep_for(1ms);
    }
    return started;
}

void Stop(pid_t pid) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

long ResidentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> value;
            return value;
        }
        status.ignore(256, '\n');
    }
    return -1;
}

void BM_ColdStartToFirstPaint(benchmark::State& state) {
    if (!std::getenv("DISPLAY"))
        return state.SkipWithError("needs an X server (run under xvfb-run)");
    const fs::path root = MakePrivateUser("bench-start");
    for (auto _ : state) {
        const long long begin = MonotonicNanoseconds();
        const Started started = StartUntilPainted(root / "painted");
        Stop(started.pid);
        if (!started.paintedAt) return state.SkipWithError("the main window never painted");
        state.SetIterationTime(static_cast<double>(started.paintedAt - begin) / 1e9);
    }
    fs::remove_all(root);
}
BENCHMARK(BM_ColdStartToFirstPaint)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_IdleResidentMemory(benchmark::State& state) {
    if (!std::getenv("DISPLAY"))
        return state.SkipWithError("needs an X server (run under xvfb-run)");
    const fs::path root = MakePrivateUser("bench-start");
    long kib = 0;
    for (auto _ : state) {
        const Started started = StartUntilPainted(root / "painted");
        std::this_thread::sleep_for(1500ms);  // settled: nothing left to load
        kib = ResidentKiB(started.pid);
        Stop(started.pid);
    }
    state.counters["rss_MiB"] = static_cast<double>(kib) / 1024.0;
    fs::remove_all(root);
}
BENCHMARK(BM_IdleResidentMemory)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace
