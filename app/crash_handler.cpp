#include "app/crash_handler.h"

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstring>

#include "platform/text.h"

extern char** environ;

namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr std::size_t kPathBytes = 4096;

char g_reportPath[kPathBytes];
char g_boxPath[kPathBytes];
char g_languagePath[kPathBytes];
std::atomic<bool> g_crashing{false};
// Room for the handler itself when the crash was a stack overflow.
alignas(16) char g_alternateStack[64 * 1024];

void CopyPath(char (&target)[kPathBytes], std::wstring_view path) {
    const std::string narrow = WideToUtf8(path);
    const std::size_t n = std::min(narrow.size(), kPathBytes - 1);
    std::memcpy(target, narrow.data(), n);
    target[n] = '\0';
}

// Async-signal-safe formatting helpers: fixed buffers, no allocation.
void PutText(int fd, const char* text) { (void)!::write(fd, text, std::strlen(text)); }

void FormatHex(char (&out)[32], std::uintptr_t value) {
    char digits[32];
    int n = 0;
    do {
        digits[n++] = "0123456789abcdef"[value & 0xF];
        value >>= 4;
    } while (value != 0);
    int k = 0;
    while (n > 0) out[k++] = digits[--n];
    out[k] = '\0';
}

void FormatDecimal(char (&out)[32], long value) {
    char digits[32];
    int n = 0;
    const bool negative = value < 0;
    unsigned long v = negative ? 0ul - static_cast<unsigned long>(value) : value;
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    int k = 0;
    if (negative) out[k++] = '-';
    while (n > 0) out[k++] = digits[--n];
    out[k] = '\0';
}

const char* SignalName(int signo) {
    switch (signo) {
        case SIGSEGV:
            return "SIGSEGV";
        case SIGBUS:
            return "SIGBUS";
        case SIGFPE:
            return "SIGFPE";
        case SIGILL:
            return "SIGILL";
        case SIGABRT:
            return "SIGABRT";
    }
    return "signal";
}

void WriteReport(int signo, const char* codeHex, const char* addressHex) {
    const int fd = ::open(g_reportPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return;
    char number[32];
    PutText(fd, "TaviOCR crash report\nsignal: ");
    FormatDecimal(number, signo);
    PutText(fd, number);
    PutText(fd, " (");
    PutText(fd, SignalName(signo));
    PutText(fd, ")\ncode: ");
    PutText(fd, codeHex);
    PutText(fd, "\naddress: 0x");
    PutText(fd, addressHex);
    PutText(fd, "\nprocess: ");
    FormatDecimal(number, ::getpid());
    PutText(fd, number);
    PutText(fd, "\nthread: ");
    FormatDecimal(number, static_cast<long>(::gettid()));
    PutText(fd, number);
    PutText(fd, "\nbacktrace:\n");
    void* frames[128];
    const int depth = ::backtrace(frames, 128);
    ::backtrace_symbols_fd(frames, depth, fd);
    ::close(fd);
}

void ShowCrashBox(const char* codeHex, const char* addressHex) {
    const pid_t child = ::fork();
    if (child == 0) {
        char* argv[] = {g_boxPath,
                        const_cast<char*>("--code"),
                        const_cast<char*>(codeHex),
                        const_cast<char*>("--address"),
                        const_cast<char*>(addressHex),
                        const_cast<char*>("--language"),
                        g_languagePath,
                        nullptr};
        ::execve(g_boxPath, argv, environ);
        ::_exit(127);
    }
    if (child > 0) {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }
}

void OnFatalSignal(int signo, siginfo_t* info, void*) {
    if (g_crashing.exchange(true)) {
        // A second fault while reporting the first: end at once.
        ::_exit(128 + signo);
    }
    char codeHex[32];
    char addressHex[32];
    FormatHex(codeHex, static_cast<std::uintptr_t>(signo));
    FormatHex(addressHex, reinterpret_cast<std::uintptr_t>(info ? info->si_addr : nullptr));
    WriteReport(signo, codeHex, addressHex);
    ShowCrashBox(codeHex, addressHex);
    // End with the original signal, so the parent sees how the process died.
    // The signal is blocked while its handler runs; unblock it so that the
    // re-raised one takes effect at once.
    ::signal(signo, SIG_DFL);
    sigset_t pending;
    sigemptyset(&pending);
    sigaddset(&pending, signo);
    ::sigprocmask(SIG_UNBLOCK, &pending, nullptr);
    ::raise(signo);
    ::_exit(128 + signo);
}

}  // namespace

void InstallCrashHandler(std::wstring_view appFolder, std::wstring_view exeFolder) {
    CopyPath(g_reportPath, std::wstring(appFolder) + L"/Error.tmp");
    CopyPath(g_boxPath, std::wstring(exeFolder) + L"/" + std::wstring(kCrashBoxProgram));

    // backtrace() loads its unwinder on first use; do that now, not in the handler.
    void* warmUp[1];
    ::backtrace(warmUp, 1);

    stack_t stack{};
    stack.ss_sp = g_alternateStack;
    stack.ss_size = sizeof g_alternateStack;
    ::sigaltstack(&stack, nullptr);

    struct sigaction action {};
    action.sa_sigaction = OnFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int signo : kFatalSignals) ::sigaction(signo, &action, nullptr);
}

void SetCrashLanguageFile(std::wstring_view path) { CopyPath(g_languagePath, path); }
