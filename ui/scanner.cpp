// The main window's scan command: the data source manager from the program
// folder, the chooser, and the pages handed to recognition once the source
// closes.

#include "app/process_globals.h"
#include "capture/scan_failure.h"
#include "dialogs/message_box.h"
#include "ui/info_dialogs.h"
#include "ui/main_frame.h"
#include "ui/main_modes.h"
#include "ui/main_window_scanner.h"
#include "ui/select_dsm_dlg.h"
#include "ui/window_messages.h"

void MainWindowScanner::CopyImage(TW_HANDLE dib, const TW_IMAGEINFO& info) {
    CMyTwain::CopyImage(dib, info);
    if (ScannedFiles().size() == 1) CCopyingHintDlg::ShowOnce(frame_.GetHWND());
}

void MainWindowScanner::AcquisitionFinished() {
    frame_.OnScannedImages(ScannedFiles(), ScanFailureKey(ScanFailure()));
}

namespace {

// The manager's wake-up, from any thread: a message the window offers the source.
void WakeMainWindow(void* window) {
    ::PostMessageW(static_cast<HWND>(window), WM_TWAIN_EVENT, 0, 0);
}

}  // namespace

void CMainFrame::SetUpScanner() {
    scanner_ = std::make_unique<MainWindowScanner>(*this);
    scanner_->InitSourceManager(TW_PARENT{GetHWND(), &WakeMainWindow}, Globals().ExeFolder);
}

void CMainFrame::ShutDownScanner() {
    if (scanner_) scanner_->ShutdownSourceManager();
}

void CMainFrame::OnTwainEvent() {
    if (scanner_ && scanner_->SourceKnown()) scanner_->ProcessEvent();
}

void CMainFrame::OnScanCommand() {
    // The manager and the scanner stack below it are opened at the first scan:
    // most sessions never scan, and the window stays resident.
    if (!scanner_) SetUpScanner();
    // No scanner library at all, or no scanner connected: each says what is true.
    if (!scanner_->IsLoaded()) {
        ShowMessageByKey(L"NotFoundDSM", GetHWND(), kStyleInformation);
        return;
    }
    mainMode_ = MainMode::Scanner;
    scanner_->ClearScans();
    if (scanner_->IsNewManager()) {
        if (scanner_->SelectSource()) scanner_->Acquire(1);
        return;
    }
    std::vector<TW_IDENTITY> sources;
    if (!scanner_->EnumerateSources(sources)) {
        ShowMessageByKey(L"ScannerIsInvalid", GetHWND(), kStyleInformation);
        return;
    }
    CSelectDSMDlg chooser(std::move(sources));
    chooser.RunModal(GetHWND());
    if (!chooser.Chosen() || !scanner_->OpenSource(&*chooser.Chosen()) || !scanner_->SourceKnown())
        return;
    scanner_->Acquire(-1);
}

MainWindowScanner* CMainFrame::Scanner() const { return scanner_.get(); }
