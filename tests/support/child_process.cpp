#include "support/child_process.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <vector>

#include "platform/processes.h"

ChildResult RunInChild(const std::function<int()>& body) {
    ChildResult result;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return result;
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::dup2(pipeFds[1], STDERR_FILENO);
        ::close(pipeFds[1]);
        const int code = body();
        std::fflush(nullptr);
        ::_exit(code);
    }
    ::close(pipeFds[1]);
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0)
        result.output.append(buffer, static_cast<size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFEXITED(status)) {
        result.exited = true;
        result.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    return result;
}

bool RunConcurrently(int count, const std::function<int(int index)>& body) {
    std::fflush(nullptr);
    std::vector<pid_t> children;
    for (int i = 0; i < count; ++i) {
        const pid_t pid = ::fork();
        if (pid == 0) ::_exit(body(i));
        children.push_back(pid);
    }
    bool allOk = true;
    for (pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        allOk = allOk && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return allOk;
}

bool AnyProcessNamed(std::string_view exeName) {
    for (const ProcessEntry& process : SnapshotProcesses()) {
        if (process.exeName != exeName) continue;
        // A zombie has ended: it only waits for a parent to collect it, which
        // a container's first process may never do for an orphan.
        std::ifstream stat("/proc/" + std::to_string(process.pid) + "/stat");
        std::string line;
        std::getline(stat, line);
        const auto state = line.rfind(") ");
        if (state != std::string::npos && state + 2 < line.size() && line[state + 2] == 'Z')
            continue;
        return true;
    }
    return false;
}
