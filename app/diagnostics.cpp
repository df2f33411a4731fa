#include "app/diagnostics.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file_io.h"
#include "platform/folders.h"
#include "platform/text.h"

namespace {

constexpr std::size_t kLogPathChars = 260;
constexpr std::size_t kMessageChars = 511;
constexpr std::size_t kLineBufferBytes = 528;

std::wstring& LogPathStorage() {
    static std::wstring path = QueryTempWorkFolder() + L"ftlog.log";
    return path;
}

// The message in the ANSI code page, cut to at most `room` bytes. Cutting the
// wide text (not the converted bytes) keeps every character whole in any
// charset; a binary search finds the longest prefix that fits.
std::string ConvertWithin(std::wstring_view message, std::size_t room) {
    std::string converted = WideToAnsi(message);
    if (converted.size() <= room) return converted;
    std::size_t fits = 0, tooLong = message.size();
    while (tooLong - fits > 1) {
        const std::size_t mid = fits + (tooLong - fits) / 2;
        if (WideToAnsi(message.substr(0, mid)).size() <= room)
            fits = mid;
        else
            tooLong = mid;
    }
    return WideToAnsi(message.substr(0, fits));
}

}  // namespace

void SetLogPath(std::wstring_view path) {
    LogPathStorage() = std::wstring(path.substr(0, kLogPathChars - 1));
}

std::wstring LogPath() { return LogPathStorage(); }

std::string BuildLogLine(const std::tm& localTime, std::wstring_view message) {
    char prefix[64];
    const int n =
        std::snprintf(prefix, sizeof prefix, "[%d/%d %d:%d:%d]-", localTime.tm_mon + 1,
                      localTime.tm_mday, localTime.tm_hour, localTime.tm_min, localTime.tm_sec);
    std::string line(prefix, static_cast<std::size_t>(n));
    // The line, CR LF and the terminating zero share the fixed line buffer.
    const std::size_t room = kLineBufferBytes - 1 - line.size() - 2;
    line += ConvertWithin(message.substr(0, kMessageChars), room);
    line += "\r\n";
    return line;
}

void WriteLogText(std::wstring_view message) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const std::string line = BuildLogLine(local, message);
    // The early log lies in the shared temporary folder: a link planted there
    // is not followed, and a file another user made is not written to.
    const int fd = ::open(NarrowPath(LogPath()).c_str(),
                          O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_uid == ::geteuid() && S_ISREG(st.st_mode))
        (void)!::write(fd, line.data(), line.size());
    ::close(fd);
}

void TraceSystemError(int code) {
    if (code == -1) code = errno;
    char buffer[256];
    const char* text = strerror_r(code, buffer, sizeof buffer);
    DebugTraceText(AnsiToWide(text) + L"\n");
}
