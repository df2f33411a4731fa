#include "engine/bitmap_wait.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>

namespace {

bool Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

}  // namespace

bool WaitForFile(const std::string& path, std::chrono::milliseconds limit) {
    if (Exists(path)) return true;
    const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (watch < 0) return false;
    const std::string folder = std::filesystem::path(path).parent_path().string();
    bool found = false;
    if (::inotify_add_watch(watch, folder.empty() ? "." : folder.c_str(),
                            IN_MOVED_TO | IN_CREATE | IN_CLOSE_WRITE) >= 0) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        // Looked at again after the watch is set: it may have come meanwhile.
        found = Exists(path);
        while (!found) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            pollfd waiting{watch, POLLIN, 0};
            if (::poll(&waiting, 1, static_cast<int>(left.count())) < 0 && errno != EINTR) break;
            char events[4096];
            while (::read(watch, events, sizeof events) > 0) {
            }
            found = Exists(path);
        }
    }
    ::close(watch);
    return found;
}
