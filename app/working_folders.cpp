#include "app/working_folders.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
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
std::wstring DocumentPagesFolder() {
    return WorkRootFolder() + L"pages-" + std::to_wstring(::getpid()) + L"/";
}

namespace {

bool HasExtension(const std::filesystem::path& file, std::wstring_view wanted) {
    const std::string extension = file.extension().string();
    return !extension.empty() && EqualsNoCase(Utf8ToWide(extension.substr(1)), wanted);
}

}  // namespace

void CleanFolder(std::wstring_view folder, std::wstring_view extension, bool removeFolders) {
    namespace fs = std::filesystem;
    const fs::path root = WideToUtf8(folder);
    std::error_code error;
    // Links are removed as links, never followed.
    if (removeFolders && extension.empty()) {
        fs::remove_all(root, error);
        return;
    }
    std::wstring wanted(extension);
    if (!wanted.empty() && wanted.front() == L'.') wanted.erase(0, 1);
    std::vector<fs::path> files, folders;
    for (auto entry = fs::recursive_directory_iterator(root, error);
         !error && entry != fs::recursive_directory_iterator(); entry.increment(error)) {
        if (!entry->is_symlink() && entry->is_directory())
            folders.push_back(entry->path());
        else if (wanted.empty() || HasExtension(entry->path(), wanted))
            files.push_back(entry->path());
    }
    for (const fs::path& file : files) fs::remove(file, error);
    if (!removeFolders) return;
    // Deepest first; a folder that still holds something stays.
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
        fs::remove(*folder, error);
    fs::remove(root, error);
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
        const size_t prefix = name.starts_with("cli-") ? 4 : name.starts_with("pages-") ? 6 : 0;
        if (prefix == 0) continue;
        char* end = nullptr;
        const long pid = std::strtol(name.c_str() + prefix, &end, 10);
        if (pid <= 0 || *end != '\0') continue;
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) gone.push_back(name);
    }
    ::closedir(dir);
    for (const std::string& name : gone) CleanFolder(root + Utf8ToWide(name), L"", true);
}
