#include "platform/folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

#include "platform/file_io.h"
#include "platform/private_folder.h"
#include "platform/text.h"

namespace {

std::wstring Env(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? Utf8ToWide(value) : std::wstring();
}

std::wstring WithoutTrailingSlash(std::wstring path) {
    while (path.size() > 1 && path.back() == L'/') path.pop_back();
    return path;
}

// user-dirs.dirs lines look like XDG_DESKTOP_DIR="$HOME/Desktop".
std::wstring DesktopFromUserDirs(const std::wstring& home) {
    std::wstring configHome = Env("XDG_CONFIG_HOME");
    if (configHome.empty()) configHome = home + L"/.config";
    const auto bytes = ReadWholeFile(configHome + L"/user-dirs.dirs", 64 * 1024);
    if (!bytes) return {};
    const std::wstring text = Utf8ToWide(*bytes);
    const std::wstring_view prefix = L"XDG_DESKTOP_DIR=";
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find(L'\n', pos);
        if (end == std::wstring::npos) end = text.size();
        std::wstring_view line(text.data() + pos, end - pos);
        pos = end + 1;
        if (!line.starts_with(prefix)) continue;
        line.remove_prefix(prefix.size());
        if (line.size() >= 2 && line.front() == L'"' && line.back() == L'"')
            line = line.substr(1, line.size() - 2);
        std::wstring value(line);
        if (value.starts_with(L"$HOME")) value = home + value.substr(5);
        if (!value.empty() && value.front() == L'/') return WithoutTrailingSlash(value);
    }
    return {};
}

}  // namespace

std::wstring QueryExeFolder() {
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return L".";
    std::wstring path = Utf8ToWide(std::string_view(buffer, static_cast<size_t>(n)));
    const size_t slash = path.rfind(L'/');
    return slash == 0 ? L"/" : path.substr(0, slash);
}

std::wstring QueryHomeFolder() {
    std::wstring home = Env("HOME");
    if (!home.empty()) return WithoutTrailingSlash(home);
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return Utf8ToWide(pw->pw_dir);
    return L"/";
}

std::wstring QueryAppFolder() {
    std::wstring dataHome = Env("XDG_DATA_HOME");
    if (dataHome.empty()) dataHome = QueryHomeFolder() + L"/.local/share";
    const std::wstring folder = WithoutTrailingSlash(dataHome) + L"/TaviOCR";
    // A failure here is not reported: later file operations fail on their own.
    if (!FolderExists(folder)) CreateFolderTree(folder);
    return folder;
}

std::wstring QueryDesktopFolder() {
    std::wstring desktop = Env("XDG_DESKTOP_DIR");
    if (!desktop.empty()) return WithoutTrailingSlash(desktop);
    const std::wstring home = QueryHomeFolder();
    desktop = DesktopFromUserDirs(home);
    return desktop.empty() ? home + L"/Desktop" : desktop;
}

std::wstring QueryTempWorkFolder() {
    std::wstring temp = Env("TMPDIR");
    if (temp.empty()) temp = L"/tmp";
    if (temp.back() != L'/') temp += L'/';
    return temp;
}

std::wstring QueryUserConfigFolder() {
    std::wstring config = Env("XDG_CONFIG_HOME");
    if (config.empty()) config = QueryHomeFolder() + L"/.config";
    return WithoutTrailingSlash(config);
}

std::wstring QueryMachineStoreFolder() {
    std::wstring machine = Env("TAVIOCR_MACHINE_DIR");
    return machine.empty() ? L"/var/lib/taviocr" : WithoutTrailingSlash(machine);
}

std::wstring QueryRuntimeFolder() {
    const std::wstring runtime = WithoutTrailingSlash(Env("XDG_RUNTIME_DIR"));
    if (!runtime.empty() && IsPrivateFolder(runtime)) return runtime;
    // A folder another user could have made or may write to would let them
    // answer for our single instance and read or replace the text our engine
    // hands over: only a private one is used.
    const std::wstring fallback =
        EnsurePrivateFolder(QueryTempWorkFolder() + L"taviocr-" + std::to_wstring(::getuid()));
    // The choice is pinned for later calls and for the programs we start
    // (the engine writes its text into this folder).
    if (!fallback.empty()) ::setenv("XDG_RUNTIME_DIR", NarrowPath(fallback).c_str(), 1);
    return fallback;
}
