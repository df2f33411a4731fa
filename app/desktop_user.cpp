#include "app/desktop_user.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <vector>

#include "platform/debug_trace.h"
#include "platform/text.h"

namespace {

// The user on whose behalf root runs: pkexec and sudo both say who asked.
std::optional<uid_t> DesktopUserId() {
    for (const char* variable : {"PKEXEC_UID", "SUDO_UID"})
        if (const char* value = std::getenv(variable); value && *value) {
            char* end = nullptr;
            const long id = std::strtol(value, &end, 10);
            if (*end == '\0' && id > 0) return static_cast<uid_t>(id);
        }
    return std::nullopt;
}

// Words of a command line, split at spaces (the program's own switches).
std::vector<std::string> SplitCommandLine(const std::wstring& commandLine) {
    std::vector<std::string> words;
    std::string word;
    for (char c : WideToUtf8(commandLine)) {
        if (c == ' ') {
            if (!word.empty()) words.push_back(std::move(word));
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(std::move(word));
    return words;
}

}  // namespace

bool IsElevated() { return ::geteuid() == 0; }

bool RunAsDesktopUser(const std::wstring& application, const std::wstring& commandLine,
                      const std::wstring& currentFolder, pid_t* pid) {
    const auto uid = DesktopUserId();
    if (!uid) {
        DebugTrace(L"No desktop shell is present\n");
        return false;
    }
    const passwd* user = ::getpwuid(*uid);
    if (!user) {
        DebugTrace(L"Unable to get PID of desktop shell.\n");
        return false;
    }
    const std::string program = WideToUtf8(application);
    std::vector<std::string> words{program};
    for (std::string& word : SplitCommandLine(commandLine)) words.push_back(std::move(word));
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const std::string home = user->pw_dir ? user->pw_dir : "/";
    const std::string folder = currentFolder.empty() ? home : WideToUtf8(currentFolder);
    const uid_t userId = user->pw_uid;
    const gid_t groupId = user->pw_gid;
    const std::string name = user->pw_name;

    const pid_t child = ::fork();
    if (child < 0) {
        DebugTrace(L"CreateProcessWithTokenW failed:  %d\n", errno);
        return false;
    }
    if (child == 0) {
        // Drop every root right before running anything of the user's.
        if (::initgroups(name.c_str(), groupId) != 0 || ::setgid(groupId) != 0 ||
            ::setuid(userId) != 0)
            ::_exit(126);
        ::setenv("HOME", home.c_str(), 1);
        ::setenv("USER", name.c_str(), 1);
        ::setenv("LOGNAME", name.c_str(), 1);
        ::unsetenv("PKEXEC_UID");
        ::unsetenv("SUDO_UID");
        // Service users (and some desktop users) have no home: then the root folder.
        if (::chdir(folder.c_str()) != 0 && ::chdir(home.c_str()) != 0 && ::chdir("/") != 0)
            ::_exit(126);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    if (pid) *pid = child;
    return true;
}
