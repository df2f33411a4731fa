#pragma once

#include "capture/my_twain.h"

class CMainFrame;

// The main window's scanner: pages go to the window once the source closes.
class MainWindowScanner : public CMyTwain {
public:
    explicit MainWindowScanner(CMainFrame& frame) : frame_(frame) {}
    void AcquisitionFinished() override;

private:
    CMainFrame& frame_;
};
