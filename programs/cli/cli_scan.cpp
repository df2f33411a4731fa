#include "programs/cli/cli_scan.h"

#include <cstring>

#include "app/process_globals.h"
#include "capture/scan_failure.h"
#include "platform/text.h"
#include "programs/cli/console_messages.h"

CliScanner::~CliScanner() { ShutdownSourceManager(); }

void CliScanner::AcquisitionFinished() { finished_ = true; }

std::vector<std::wstring> CliScanner::Scan(const std::string& device, int pages) {
    if (!InitSourceManager(waiter_.Parent(), Globals().ExeFolder)) {
        PrintError(MessageText(L"NotFoundDSM"));  // no scanner library
        return {};
    }
    ClearScans();
    std::vector<TW_IDENTITY> sources;
    EnumerateSources(sources);
    const TW_IDENTITY* chosen = nullptr;
    for (const TW_IDENTITY& source : sources)
        if (device.empty() || device == source.ProductFamily || device == source.ProductName) {
            chosen = &source;
            break;
        }
    if (!chosen) {
        PrintError(sources.empty() ? MessageText(L"ScannerIsInvalid")  // none connected
                                   : L"no scanner named " + Utf8ToWide(device));
        return {};
    }
    if (!OpenSource(chosen) || !Acquire(pages, SourceWindow::None)) {
        PrintError(MessageText(L"ScannerIsInvalid"));
        return {};
    }
    // The manager wakes this thread whenever it holds an event.
    while (!finished_) {
        waiter_.Wait();
        ProcessEvent();
    }
    const std::wstring failure = ScanFailureKey(ScanFailure());
    if (!failure.empty())
        PrintError(ScannedFiles().empty() ? MessageText(failure)
                                          : MessageText(kScanPartialKey, MessageText(failure)));
    else if (ScannedFiles().empty())
        PrintError(L"the scanner delivered no page");
    return ScannedFiles();
}
