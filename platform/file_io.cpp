#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <thread>

#include "platform/large_buffer.h"
#include "platform/text.h"

namespace fs = std::filesystem;

std::string NarrowPath(std::wstring_view path) { return WidePathToBytes(path); }

std::wstring FileNamePart(std::wstring_view path) {
    const auto slash = path.rfind(L'/');
    return std::wstring(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

bool HasExtensionNoCase(std::wstring_view path,
                        std::initializer_list<std::wstring_view> extensions) {
    const std::wstring name = FileNamePart(path);
    const auto dot = name.rfind(L'.');
    if (dot == std::wstring::npos) return false;
    for (std::wstring_view extension : extensions)
        if (EqualsNoCase(std::wstring_view(name).substr(dot), extension)) return true;
    return false;
}

bool FileExists(std::wstring_view path) {
    struct stat st {};
    return ::stat(NarrowPath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FolderExists(std::wstring_view path) {
    struct stat st {};
    return ::stat(NarrowPath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateFolderTree(std::wstring_view path) {
    if (path.empty()) return false;
    std::error_code ec;
    fs::create_directories(fs::path(NarrowPath(path)), ec);
    return FolderExists(path);
}

std::optional<std::string> ReadWholeFile(std::wstring_view path, std::size_t maxBytes) {
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    const int fd = ::open(NarrowPath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::size_t>(st.st_size) > maxBytes) {
        ::close(fd);
        return std::nullopt;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    // One spare byte: a read that fills it shows the file has grown since
    // fstat, and a file that has not needs no second buffer.
    std::string bytes;
    const std::size_t expected = std::min(maxBytes, static_cast<std::size_t>(st.st_size) + 1);
    ReserveLargeBuffer(bytes, expected);
    bytes.resize(expected);
    std::size_t done = 0;
    while (true) {
        if (done == bytes.size()) {
            // The file may have grown since fstat; read on up to the limit.
            if (bytes.size() >= maxBytes) break;
            bytes.resize(std::min(maxBytes, bytes.size() + 4096));
        }
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(done);
    return bytes;
}

namespace {

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The process's umask, read without changing it (umask() would, for a moment,
// for every thread).
mode_t CurrentUmask() {
    if (const auto status = ReadWholeFile(L"/proc/self/status", 64 * 1024)) {
        const std::size_t at = status->find("\nUmask:");
        if (at != std::string::npos)
            return static_cast<mode_t>(std::strtoul(status->c_str() + at + 8, nullptr, 8)) & 0777;
    }
    return 022;
}

mode_t ModeFor(const std::string& target, FileAccess access) {
    switch (access) {
        case FileAccess::OwnerOnly:
            return 0600;
        case FileAccess::EveryoneReads:
            return 0644;
        case FileAccess::AsBefore:
            break;
    }
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) return st.st_mode & 07777;
    return 0666 & ~CurrentUmask();
}

}  // namespace

bool WriteFileAtomically(std::wstring_view path, std::string_view bytes, FlushMode flush,
                         FileAccess access) {
    const std::string target = NarrowPath(path);
    std::string temp = target + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    const mode_t mode = ModeFor(target, access);
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes);
    if (ok && flush == FlushMode::Durable) ok = ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

bool CreateFileIfMissing(std::wstring_view path, std::string_view bytes) {
    const std::string target = NarrowPath(path);
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return errno == EEXIST && FileExists(path);
    const bool ok = WriteAll(fd, bytes);
    ::close(fd);
    if (!ok) ::unlink(target.c_str());
    return ok;
}

FileLock::FileLock(std::wstring_view lockPath, std::chrono::milliseconds timeout) {
    const int fd = ::open(NarrowPath(lockPath).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            ::close(fd);
            return;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    fd_ = fd;
}

FileLock::~FileLock() {
    if (fd_ >= 0) ::close(fd_);  // closing drops the flock
}

std::wstring LockPathFor(std::wstring_view dataPath) {
    const size_t slash = dataPath.rfind(L'/');
    if (slash == std::wstring_view::npos) return L"." + std::wstring(dataPath) + L".lock";
    return std::wstring(dataPath.substr(0, slash + 1)) + L"." +
           std::wstring(dataPath.substr(slash + 1)) + L".lock";
}
