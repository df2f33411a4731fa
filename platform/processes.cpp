#include "platform/processes.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "platform/cancellation.h"
#include "platform/file_io.h"
#include "platform/text.h"

extern char** environ;

namespace {

int OpenPidFd(pid_t pid) { return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)); }

// The parent id from /proc/<pid>/stat: "pid (comm) state ppid ...", where the
// name may itself hold blanks and parentheses.
pid_t ParentPid(const std::string& procFolder) {
    const auto stat = ReadWholeFile(Utf8ToWide(procFolder + "/stat"), 4096);
    if (!stat) return 0;
    const std::size_t close = stat->rfind(')');
    if (close == std::string::npos) return 0;
    char state = 0;
    int parent = 0;
    if (std::sscanf(stat->c_str() + close + 1, " %c %d", &state, &parent) != 2) return 0;
    return parent;
}

}  // namespace

std::vector<ProcessEntry> SnapshotProcesses() {
    std::vector<ProcessEntry> entries;
    DIR* proc = ::opendir("/proc");
    if (!proc) return entries;
    while (const dirent* entry = ::readdir(proc)) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (pid <= 0 || *end != '\0') continue;
        auto comm = ReadWholeFile(Utf8ToWide(std::string("/proc/") + entry->d_name + "/comm"), 256);
        if (!comm) continue;  // ended since the folder was listed
        if (!comm->empty() && comm->back() == '\n') comm->pop_back();
        const std::string folder = std::string("/proc/") + entry->d_name;
        struct stat owner {};
        if (::stat(folder.c_str(), &owner) != 0) continue;
        entries.push_back(
            {static_cast<pid_t>(pid), std::move(*comm), ParentPid(folder), owner.st_uid});
    }
    ::closedir(proc);
    std::sort(entries.begin(), entries.end(),
              [](const ProcessEntry& a, const ProcessEntry& b) { return a.pid < b.pid; });
    return entries;
}

std::optional<std::string> ProcessEnvironmentValue(pid_t pid, std::string_view name) {
    const auto environment =
        ReadWholeFile(Utf8ToWide("/proc/" + std::to_string(pid) + "/environ"), 1024 * 1024);
    if (!environment) return std::nullopt;
    std::string_view rest(*environment);
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find('\0'), rest.size());
        const std::string_view variable = rest.substr(0, end);
        if (variable.size() > name.size() && variable.starts_with(name) &&
            variable[name.size()] == '=')
            return std::string(variable.substr(name.size() + 1));
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    return std::nullopt;
}

bool TerminateProcess(pid_t pid) { return pid > 0 && ::kill(pid, SIGKILL) == 0; }

std::optional<ChildProcess> ChildProcess::Start(const std::vector<std::string>& argv,
                                                const std::vector<std::string>& extraEnvironment) {
    if (argv.empty()) {
        errno = EINVAL;
        return std::nullopt;
    }
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    std::vector<char*> environment;
    // An extra variable replaces an inherited one of its name: which of two
    // a program would read is up to the program.
    const auto replaced = [&](std::string_view inherited) {
        for (const std::string& extra : extraEnvironment) {
            const size_t name = extra.find('=');
            if (name != std::string::npos && inherited.size() > name &&
                inherited.substr(0, name + 1) == std::string_view(extra).substr(0, name + 1))
                return true;
        }
        return false;
    };
    for (char** variable = environ; *variable; ++variable)
        if (!replaced(*variable)) environment.push_back(*variable);
    for (const std::string& variable : extraEnvironment)
        environment.push_back(const_cast<char*>(variable.c_str()));
    environment.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    pid_t pid = 0;
    // A bare program name is looked for on PATH, as a shell would; a path is
    // run as it is (never handed to a shell when it is not a program).
    const bool bareName = argv[0].find('/') == std::string::npos;
    const int error = bareName ? ::posix_spawnp(&pid, argv[0].c_str(), &actions, nullptr,
                                                args.data(), environment.data())
                               : ::posix_spawn(&pid, argv[0].c_str(), &actions, nullptr,
                                               args.data(), environment.data());
    ::posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        errno = error;
        return std::nullopt;
    }
    return ChildProcess(pid, OpenPidFd(pid));
}

ChildProcess::~ChildProcess() { Release(); }

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(other.pid_), pidfd_(other.pidfd_), exitCode_(other.exitCode_) {
    other.pid_ = 0;
    other.pidfd_ = -1;
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        Release();
        pid_ = other.pid_;
        pidfd_ = other.pidfd_;
        exitCode_ = other.exitCode_;
        other.pid_ = 0;
        other.pidfd_ = -1;
    }
    return *this;
}

void ChildProcess::Release() {
    if (pid_ > 0 && !exitCode_) Reap(WNOHANG);
    if (pidfd_ >= 0) ::close(pidfd_);
    pid_ = 0;
    pidfd_ = -1;
}

bool ChildProcess::Reap(int options) {
    if (exitCode_) return true;
    if (pid_ <= 0) return false;
    int status = 0;
    pid_t done;
    do {
        done = ::waitpid(pid_, &status, options);
    } while (done < 0 && errno == EINTR);
    if (done != pid_) return false;
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return true;
}

bool ChildProcess::WaitFor(std::chrono::milliseconds timeout) {
    if (Reap(WNOHANG)) return true;
    if (pidfd_ >= 0) {
        // The pidfd becomes readable when the child ends: no polling loop.
        pollfd waiting{pidfd_, POLLIN, 0};
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        // In slices, so that cancelled work (the program ending) stops waiting.
        while (!WorkCancelled()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            const int ready =
                ::poll(&waiting, 1, static_cast<int>(std::min<long>(200, left.count())));
            if (ready < 0 && errno == EINTR) continue;
            if (ready != 0) break;
        }
        return Reap(WNOHANG);
    }
    // Kernels without pidfds: poll the child.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!Reap(WNOHANG)) {
        if (std::chrono::steady_clock::now() >= deadline || WorkCancelled()) return false;
        ::usleep(5000);
    }
    return true;
}

int ChildProcess::ExitCode() {
    Reap(WNOHANG);
    return exitCode_.value_or(kStillActive);
}

void ChildProcess::Kill() {
    if (pid_ <= 0 || Reap(WNOHANG)) return;
    // The child is not reaped yet, so its id cannot belong to anyone else.
    ::kill(pid_, SIGKILL);
    Reap(0);
}
