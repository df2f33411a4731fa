#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Starting, waiting for and ending other programs, and the list of running
// processes, over posix_spawn, pidfds and /proc.

struct ProcessEntry {
    pid_t pid = 0;
    // The executable's file name as the kernel reports it (/proc/<pid>/comm).
    std::string exeName;
    pid_t parentPid = 0;
    uid_t uid = 0;
};

// Every process visible to this user, in /proc order (ascending ids).
std::vector<ProcessEntry> SnapshotProcesses();

// The value of one variable in a process's environment as it was started;
// nothing when the variable is not set or the environment cannot be read
// (another user's process).
std::optional<std::string> ProcessEnvironmentValue(pid_t pid, std::string_view name);

// A program this process started. The destructor never waits: a child that is
// still running keeps running, and one that has ended is reaped.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts argv[0] (a path, or a bare name looked for on PATH) with the given
    // arguments, this process's environment and current folder; no descriptors beyond
    // stdin/stdout/stderr are passed. extraEnvironment ("NAME=value") is added
    // to the environment, replacing an inherited variable of the same name. errno tells why when it
    // fails.
    static std::optional<ChildProcess> Start(const std::vector<std::string>& argv,
                                             const std::vector<std::string>& extraEnvironment = {});

    pid_t Pid() const { return pid_; }
    // Waits at most timeout (less once work is cancelled); true when the
    // program has ended.
    bool WaitFor(std::chrono::milliseconds timeout);
    // The exit status once ended (128 + signal for a killed one), else
    // kStillActive.
    static constexpr int kStillActive = 259;
    int ExitCode();
    // Kills a child still running and reaps it.
    void Kill();

private:
    explicit ChildProcess(pid_t pid, int pidfd) : pid_(pid), pidfd_(pidfd) {}
    bool Reap(int options);
    void Release();

    pid_t pid_ = 0;
    int pidfd_ = -1;
    std::optional<int> exitCode_;
};

// Ends the process at once (SIGKILL); false when it cannot be signalled.
bool TerminateProcess(pid_t pid);
