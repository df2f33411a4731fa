#include "app/working_folders.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "app/process_globals.h"
#include "platform/file_io.h"
#include "platform/private_folder.h"
#include "platform/text.h"

namespace {

std::mutex g_rootMutex;
std::wstring g_rootTemp;  // the TempWorkFolder g_root was chosen for
std::wstring g_root;

}  // namespace

std::wstring WorkRootFolder() {
    const std::lock_guard lock(g_rootMutex);
    const std::wstring& temp = Globals().TempWorkFolder;
    // Judged on every call: the folder may have been removed (and then
    // planted by someone else) since it was last used.
    if (g_root.empty() || temp != g_rootTemp || !IsPrivateFolder(g_root)) {
        g_rootTemp = temp;
        g_root = EnsurePrivateFolder(temp + L"taviOCR");
        // Not even a fresh folder in the temporary folder: the data folder
        // is the user's own.
        if (g_root.empty()) g_root = EnsurePrivateFolder(Globals().AppFolder + L"/work");
        g_root += L"/";
    }
    return g_root;
}

std::wstring CompressFolder() { return WorkRootFolder() + L"compress/"; }
std::wstring IdCardFolder() { return WorkRootFolder() + L"IdCards/"; }
std::wstring CaptureFolder() { return WorkRootFolder() + L"screencut"; }
std::wstring ScannerFolder() { return WorkRootFolder() + L"Scanner"; }

namespace {

bool HasExtension(const std::string& name, const std::wstring& wanted) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) return wanted.empty();
    return EqualsNoCase(Utf8ToWide(name.substr(dot + 1)), wanted);
}

void CleanTree(const std::string& folder, const std::wstring& extension, bool filter,
               bool removeFolders) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "/" + name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            CleanTree(path, extension, filter, removeFolders);
            if (removeFolders) ::rmdir(path.c_str());
        } else if (!filter || HasExtension(name, extension)) {
            ::unlink(path.c_str());
        }
    }
    ::closedir(dir);
}

}  // namespace

void CleanFolder(std::wstring_view folder, std::wstring_view extension, bool removeFolders) {
    std::string root = WideToUtf8(folder);
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    std::wstring wanted(extension);
    if (!wanted.empty() && wanted.front() == L'.') wanted.erase(0, 1);
    CleanTree(root, wanted, !extension.empty(), removeFolders);
    if (removeFolders) ::rmdir(root.c_str());
}

void CleanLeftoverWork(bool everything) {
    const std::wstring root = WorkRootFolder();
    if (everything) {
        CleanFolder(CompressFolder(), L"", true);
        CleanFolder(IdCardFolder(), L"", true);
    }
    DIR* dir = ::opendir(NarrowPath(root).c_str());
    if (!dir) return;
    std::vector<std::string> gone;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!name.starts_with("cli-")) continue;
        char* end = nullptr;
        const long pid = std::strtol(name.c_str() + 4, &end, 10);
        if (pid <= 0 || *end != '\0') continue;
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) gone.push_back(name);
    }
    ::closedir(dir);
    for (const std::string& name : gone) CleanFolder(root + Utf8ToWide(name), L"", true);
}
