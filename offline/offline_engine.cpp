#include "offline/offline_engine.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <memory>

#include "app/diagnostics.h"
#include "app/image_file.h"
#include "app/process_globals.h"
#include "offline/engine_bitmap.h"
#include "offline/engine_report.h"
#include "platform/debug_trace.h"
#include "platform/engine_handover.h"
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

OfflineEngine::OfflineEngine(LocalEngineOptions options)
    : options_(std::move(options)),
      enginePath_(Globals().ExeFolder + L"/recognition/TWYZY32.dll") {}

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

std::pair<std::string, std::string> OfflineEngine::TakeEngineBlocks() {
    const unsigned textFormat = RegisterClipboardFormat(EngineTextFormat(options_.lane));
    const unsigned reportFormat = RegisterClipboardFormat(EngineReportFormat(options_.lane));
    PrivateClipboard clipboard;
    if (!textFormat || !reportFormat || !clipboard.IsOpen()) return {};
    std::pair<std::string, std::string> blocks{clipboard.GetData(textFormat).value_or(""),
                                               clipboard.GetData(reportFormat).value_or("")};
    clipboard.Remove(textFormat);
    clipboard.Remove(reportFormat);
    return blocks;
}

bool OfflineEngine::Recognize(const std::wstring& imagePath, std::wstring& text) {
    foundNoText_ = false;
    missingPackage_.clear();
    lines_.clear();
    // One attempt of this user at a time in a lane, whichever client makes
    // it: the lane's bitmap and clipboard formats are shared.
    const std::wstring bitmapPath =
        Globals().AppFolder + (options_.lane == 0
                                   ? std::wstring(L"/tmp.bmp")
                                   : L"/tmp-" + std::to_wstring(options_.lane) + L".bmp");
    const FileLock turn(LockPathFor(bitmapPath), std::chrono::milliseconds(kQueueMilliseconds));
    if (!turn.owns()) return false;
    // The last picture's bitmap goes first, whatever becomes of this one.
    if (std::remove(NarrowPath(bitmapPath).c_str()) != 0 && errno != ENOENT) return false;
    // A file that is no picture starts no engine.
    if (PictureReader picture(imagePath); !picture.IsOpen() || !picture.Reader().canRead())
        return false;
    // A large picture's bitmap is hundreds of megabytes: it goes with the attempt.
    const std::unique_ptr<const std::wstring, void (*)(const std::wstring*)> removeBitmap(
        &bitmapPath, [](const std::wstring* path) { std::remove(NarrowPath(*path).c_str()); });
    KillEngine();
    // Text a late engine of an earlier attempt left behind is not this
    // picture's text: the lane's blocks are cleared before this engine starts.
    TakeEngineBlocks();

    // The engine starts first and loads its model while the bitmap is made.
    // It reads with one thread: pictures of a batch run side by side in
    // lanes instead, which is faster than threads inside one picture.
    auto started = ChildProcess::Start(
        {NarrowPath(enginePath_), NarrowPath(bitmapPath)},
        {std::string(kEngineStarterVariable) + "=" + std::to_string(::getpid()),
         std::string(kEngineLanguageVariable) + "=" + options_.language,
         std::string(kEngineLaneVariable) + "=" + std::to_string(options_.lane),
         std::string(kEngineBitmapComingVariable) + "=1", "OMP_THREAD_LIMIT=1"});
    if (!started) {
        TraceSystemError(errno);
        return false;
    }
    engine_ = std::move(*started);
    if (PrepareEngineBitmap(imagePath, bitmapPath).empty()) {
        engine_.Kill();
        return false;
    }
    // Without a limit the engine runs to the end; a cancelled run stops
    // waiting either way.
    engine_.WaitFor(options_.timeLimit.count() > 0 ? options_.timeLimit : std::chrono::hours(24));
    DebugTrace(L"Exit code %d", engine_.ExitCode());
    foundNoText_ = engine_.ExitCode() == kEngineExitNoText;
    const bool noModel = engine_.ExitCode() == kEngineExitNoModel;
    // An engine slower than its time has no say in this attempt, nor in the
    // next client's: it ends before the turn is handed on.
    engine_.Kill();

    auto [narrow, report] = TakeEngineBlocks();
    EngineReport parsed = ParseEngineReport(report);
    if (noModel) missingPackage_ = parsed.missingPackage;
    narrow.resize(std::min(narrow.size(), narrow.find('\0')));
    if (narrow.empty()) return false;
    text = AnsiToWide(narrow);
    lines_ = std::move(parsed.lines);
    return true;
}
