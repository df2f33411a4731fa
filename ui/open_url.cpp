#include "ui/open_url.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/debug_trace.h"
#include "platform/processes.h"
#include "platform/text.h"

namespace {

// How long the desktop's opener gets to refuse an address before we take its
// silence as success (a browser it started may keep it running).
constexpr std::chrono::milliseconds kOpenerVerdict{3000};

}  // namespace

bool OpenUrl(std::wstring_view address, HWND) {
    if (address.empty()) return false;
    const std::string target = WideToUtf8(address);
    auto opener = ChildProcess::Start({"xdg-open", target});
    if (!opener) return ChildProcess::Start({"x-www-browser", target}).has_value();
    // The UI goes on; a refusal starts the browser from the waiting thread.
    std::thread([opener = std::move(*opener), target]() mutable {
        if (!opener.WaitFor(kOpenerVerdict) || opener.ExitCode() == 0) return;
        DebugTrace(L"[taviOCR] xdg-open refused %s\n", Utf8ToWide(target));
        ChildProcess::Start({"x-www-browser", target});
    }).detach();
    return true;
}

namespace {

std::string FileUrl(const std::wstring& path) {
    std::string url = "file://";
    for (unsigned char c : WideToUtf8(path)) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            url += static_cast<char>(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            url += escaped;
        }
    }
    return url;
}

}  // namespace

void RevealInFileManager(const std::wstring& path) {
    const std::wstring folder = path.substr(0, path.rfind(L'/'));
    std::string item = FileUrl(path);
    auto reveal = ChildProcess::Start(
        {"dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.FileManager1",
         "--type=method_call", "/org/freedesktop/FileManager1",
         "org.freedesktop.FileManager1.ShowItems", "array:string:" + item, "string:"});
    const std::string target = WideToUtf8(folder.empty() ? path : folder);
    if (!reveal) {
        ChildProcess::Start({"xdg-open", target});
        return;
    }
    std::thread([reveal = std::move(*reveal), target]() mutable {
        if (reveal.WaitFor(kOpenerVerdict) && reveal.ExitCode() == 0) return;
        reveal.Kill();
        ChildProcess::Start({"xdg-open", target});
    }).detach();
}

void OpenWithDefaultApp(const std::wstring& path) {
    ChildProcess::Start({"xdg-open", WideToUtf8(path)});
}

bool OpenWithDefaultAppAndWait(const std::wstring& path) {
    auto opener = ChildProcess::Start({"xdg-open", WideToUtf8(path)});
    if (!opener) return false;
    // An opener still running has handed the file to a program that runs.
    return !opener->WaitFor(kOpenerVerdict) || opener->ExitCode() == 0;
}
