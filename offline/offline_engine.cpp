#include "offline/offline_engine.h"

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "app/diagnostics.h"
#include "app/process_globals.h"
#include "offline/engine_bitmap.h"
#include "platform/debug_trace.h"
#include "platform/file_io.h"
#include "platform/private_clipboard.h"
#include "platform/text.h"

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

OfflineEngine::OfflineEngine() : enginePath_(Globals().ExeFolder + L"/recognition/TWYZY32.dll") {}

OfflineEngine::~OfflineEngine() {
    KillEngine();
    // An engine of ours that the name search missed (renamed, or started
    // under another name) is still ended and reaped: no zombie is left.
    engine_.Kill();
}

bool OfflineEngine::IsAvailable() { return FileExists(enginePath_); }

bool OfflineEngine::KillEngine() {
    const std::vector<ProcessEntry> processes = SnapshotProcesses();
    // The first entry of a snapshot is the system's own first process.
    for (size_t i = 1; i < processes.size(); ++i) {
        if (Lower(processes[i].exeName) != kEngineProcessName) continue;
        const bool killed = TerminateProcess(processes[i].pid);
        // Our own child is also reaped, so that it does not stay a zombie.
        if (processes[i].pid == engine_.Pid()) engine_.Kill();
        return killed;
    }
    return false;
}

std::string OfflineEngine::TakeEngineText() {
    clipboardFormat_ = RegisterClipboardFormat(L"THOCR_FMT");
    PrivateClipboard clipboard;
    if (!clipboardFormat_ || !clipboard.IsOpen()) return {};
    std::string result;
    if (auto block = clipboard.GetData(clipboardFormat_); block && !block->empty() && (*block)[0] != '\0') {
        result = std::move(*block);
        clipboard.Empty();
    }
    return result;
}

bool OfflineEngine::Recognize(const std::wstring& imagePath, std::wstring& text) {
    const std::wstring bitmap = PrepareEngineBitmap(imagePath, Globals().AppFolder);
    if (bitmap.empty()) return false;
    KillEngine();
    engine_.Kill();
    // Text a late engine of an earlier attempt left behind is not this
    // picture's text: the block is cleared before this engine starts.
    clipboardFormat_ = RegisterClipboardFormat(L"THOCR_FMT");
    if (PrivateClipboard clipboard; clipboard.IsOpen()) clipboard.Empty();

    auto started = ChildProcess::Start({NarrowPath(enginePath_), NarrowPath(bitmap)});
    if (!started) {
        TraceSystemError(errno);
        return false;
    }
    engine_ = std::move(*started);
    engine_.WaitFor(std::chrono::milliseconds(kWaitMilliseconds));
    DebugTrace(L"Exit code %d", engine_.ExitCode());

    std::string narrow = TakeEngineText();
    narrow.resize(std::min(narrow.size(), narrow.find('\0')));
    if (narrow.empty()) return false;
    text = AnsiToWide(narrow);
    return true;
}
