#include "ui/open_url.h"

#include <chrono>
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
