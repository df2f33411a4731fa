// peak_rss PROGRAM ARGS...: runs the program with its output discarded and
// prints the peak resident set of that program in KiB. The measurement needs
// a small parent: a child started from a large process inherits the parent's
// high-water mark at exec, so the benchmark cannot start the program itself.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const pid_t pid = ::fork();
    if (pid < 0) return 2;
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::execv(argv[1], argv + 1);
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid) return 2;
    std::printf("%ld\n", usage.ru_maxrss);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 2;
}
