#pragma once

#include "capture/my_twain.h"

class CMainFrame;

// The main window's scanner: pages go to the window once the source closes;
// from the first page on, a hint says they are being copied.
class MainWindowScanner : public CMyTwain {
public:
    explicit MainWindowScanner(CMainFrame& frame) : frame_(frame) {}
    void CopyImage(TW_HANDLE dib, const TW_IMAGEINFO& info) override;
    void AcquisitionFinished() override;

private:
    CMainFrame& frame_;
};
