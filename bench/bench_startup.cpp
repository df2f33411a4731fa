// Start-up of the window program on the X server: the time from starting the
// process to the first paint of its main window (the program writes that
// moment to TAVIOCR_FIRST_PAINT_FILE), its resident memory once idle (shown,
// and in the tray after a log-in start), and what a screen capture leaves
// behind (run under `xvfb-run -s "-screen 0 3840x2160x24"` for a 4K screen).

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

pid_t StartProgram(const char* argument = nullptr) {
    const std::string program = std::string(TAVIOCR_OUT_DIR) + "/taviocr";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execl(program.c_str(), program.c_str(), argument, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return pid;
}

Started StartUntilPainted(const fs::path& probe) {
    fs::remove(probe);
    ::setenv("TAVIOCR_FIRST_PAINT_FILE", probe.c_str(), 1);
    Started started;
    started.pid = StartProgram();
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

// A log-in start with a tray running: the program waits there, no window shown.
void BM_IdleInTheTrayResidentMemory(benchmark::State& state) {
    if (!std::getenv("DISPLAY"))
        return state.SkipWithError("needs an X server (run under xvfb-run)");
    if (std::system("command -v trayer >/dev/null") != 0)
        return state.SkipWithError("needs trayer (a system tray)");
    const pid_t tray = ::fork();
    if (tray == 0) {
        ::execlp("trayer", "trayer", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const fs::path root = MakePrivateUser("bench-tray");
    long kib = 0;
    for (auto _ : state) {
        // No window paints: the start has settled after a few seconds.
        const pid_t pid = StartProgram("/autorun");
        std::this_thread::sleep_for(4s);
        kib = ResidentKiB(pid);
        Stop(pid);
    }
    state.counters["rss_MiB"] = static_cast<double>(kib) / 1024.0;
    Stop(tray);
    fs::remove_all(root);
}
BENCHMARK(BM_IdleInTheTrayResidentMemory)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// F4 over the whole screen, then Escape: the frozen pictures (three of the
// screen's size) must not stay with the resident program.
void BM_ResidentAfterACapture(benchmark::State& state) {
    if (!std::getenv("DISPLAY"))
        return state.SkipWithError("needs an X server (run under xvfb-run)");
    if (std::system("command -v xdotool && command -v xsetroot && command -v openbox") != 0)
        return state.SkipWithError("needs xdotool, xsetroot and openbox");
    // A desktop as a user has it; one already running keeps its place.
    const pid_t windowManager = ::fork();
    if (windowManager == 0) {
        ::execlp("openbox", "openbox", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    std::this_thread::sleep_for(1s);
    // A black screen counts as one the desktop hides, and is not captured.
    if (std::system("xsetroot -solid '#6080a0'") != 0) return state.SkipWithError("xsetroot");
    const fs::path root = MakePrivateUser("bench-capture");
    long before = 0, during = 0, after = 0;
    for (auto _ : state) {
        const Started started = StartUntilPainted(root / "painted");
        if (!started.paintedAt) return state.SkipWithError("the main window never painted");
        std::this_thread::sleep_for(1500ms);
        before = ResidentKiB(started.pid);
        if (std::system("xdotool key F4") != 0) return state.SkipWithError("xdotool");
        // The overlay holds the screen's pictures once it shows.
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (ResidentKiB(started.pid) < before + 16 * 1024 &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(20ms);
        std::this_thread::sleep_for(500ms);
        during = ResidentKiB(started.pid);
        if (std::system("xdotool key Escape") != 0) return state.SkipWithError("xdotool");
        std::this_thread::sleep_for(1500ms);
        after = ResidentKiB(started.pid);
        Stop(started.pid);
    }
    state.counters["before_MiB"] = static_cast<double>(before) / 1024.0;
    state.counters["during_MiB"] = static_cast<double>(during) / 1024.0;
    state.counters["after_MiB"] = static_cast<double>(after) / 1024.0;
    Stop(windowManager);
    fs::remove_all(root);
}
BENCHMARK(BM_ResidentAfterACapture)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace
