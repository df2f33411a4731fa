#include "platform/private_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_io.h"
#include "platform/text.h"

namespace {

std::string WithoutTrailingSlash(std::wstring_view path) {
    std::string narrow = NarrowPath(path);
    while (narrow.size() > 1 && narrow.back() == '/') narrow.pop_back();
    return narrow;
}

bool IsPrivate(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 077) == 0;
}

// Makes a missing folder private from the start; an existing one is only
// judged, never changed (its contents may already be another user's).
bool MakeOrCheck(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    return IsPrivate(path);
}

}  // namespace

bool IsPrivateFolder(std::wstring_view path) { return IsPrivate(WithoutTrailingSlash(path)); }

std::wstring EnsurePrivateFolder(std::wstring_view path) {
    const std::string wanted = WithoutTrailingSlash(path);
    if (wanted.empty()) return {};
    for (const std::string& candidate : {wanted, wanted + "-" + std::to_string(::geteuid())})
        if (MakeOrCheck(candidate)) return Utf8ToWide(candidate);
    std::string fresh = wanted + "-XXXXXX";
    if (!::mkdtemp(fresh.data())) return {};
    return Utf8ToWide(fresh);
}

int CreateFreshFile(std::wstring_view path) {
    const std::string target = NarrowPath(path);
    if (::unlink(target.c_str()) != 0 && errno != ENOENT) return -1;
    return ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}

bool WriteFreshFile(std::wstring_view path, std::string_view bytes) {
    const int fd = CreateFreshFile(path);
    if (fd < 0) return false;
    bool ok = true;
    while (ok && !bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    ok = ::close(fd) == 0 && ok;
    if (!ok) ::unlink(NarrowPath(path).c_str());
    return ok;
}
