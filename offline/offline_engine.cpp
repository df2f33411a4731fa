#include "offline/offline_engine.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <memory>

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

OfflineEngine::~OfflineEngine() { engine_.Kill(); }

bool OfflineEngine::IsAvailable() { return FileExists(enginePath_); }

bool OfflineEngine::KillEngine() {
    bool ended = false;
    if (engine_.Pid() > 0 && engine_.ExitCode() == ChildProcess::kStillActive) {
        engine_.Kill();
        ended = true;
    }
    const uid_t user = ::getuid();
    for (const ProcessEntry& process : SnapshotProcesses()) {
        if (process.uid != user || Lower(process.exeName) != kEngineProcessName) continue;
        // Only engines a client started carry the mark; a program of the same
        // name from elsewhere is none of ours.
        const auto starter = ProcessEnvironmentValue(process.pid, kEngineStarterVariable);
        if (!starter || *starter == std::to_string(process.parentPid)) continue;
        ended = TerminateProcess(process.pid) || ended;
    }
    return ended;
}

std::string OfflineEngine::TakeEngineText() {
    clipboardFormat_ = RegisterClipboardFormat(L"THOCR_FMT");
    PrivateClipboard clipboard;
    if (!clipboardFormat_ || !clipboard.IsOpen()) return {};
    std::string result;
    if (auto block = clipboard.GetData(clipboardFormat_);
        block && !block->empty() && (*block)[0] != '\0') {
        result = std::move(*block);
        clipboard.Empty();
    }
    return result;
}

bool OfflineEngine::Recognize(const std::wstring& imagePath, std::wstring& text) {
    foundNoText_ = false;
    // One attempt of this user at a time, whichever client makes it: the
    // bitmap and the clipboard format are shared.
    const FileLock turn(LockPathFor(Globals().AppFolder + L"/tmp.bmp"),
                        std::chrono::milliseconds(kQueueMilliseconds));
    if (!turn.owns()) return false;
    const std::wstring bitmap = PrepareEngineBitmap(imagePath, Globals().AppFolder);
    if (bitmap.empty()) return false;
    // A large picture's bitmap is hundreds of megabytes: it goes with the attempt.
    const std::unique_ptr<const std::wstring, void (*)(const std::wstring*)> removeBitmap(
        &bitmap, [](const std::wstring* path) { std::remove(NarrowPath(*path).c_str()); });
    KillEngine();
    // Text a late engine of an earlier attempt left behind is not this
    // picture's text: the block is cleared before this engine starts.
    clipboardFormat_ = RegisterClipboardFormat(L"THOCR_FMT");
    if (PrivateClipboard clipboard; clipboard.IsOpen()) clipboard.Empty();

    auto started = ChildProcess::Start(
        {NarrowPath(enginePath_), NarrowPath(bitmap)},
        {std::string(kEngineStarterVariable) + "=" + std::to_string(::getpid())});
    if (!started) {
        TraceSystemError(errno);
        return false;
    }
    engine_ = std::move(*started);
    engine_.WaitFor(std::chrono::milliseconds(kWaitMilliseconds));
    DebugTrace(L"Exit code %d", engine_.ExitCode());
    foundNoText_ = engine_.ExitCode() == kEngineExitNoText;
    // An engine slower than its time has no say in this attempt, nor in the
    // next client's: it ends before the turn is handed on.
    engine_.Kill();

    std::string narrow = TakeEngineText();
    narrow.resize(std::min(narrow.size(), narrow.find('\0')));
    if (narrow.empty()) return false;
    text = AnsiToWide(narrow);
    return true;
}
