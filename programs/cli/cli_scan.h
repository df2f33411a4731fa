#pragma once

#include <string>
#include <vector>

#include "capture/my_twain.h"
#include "capture/twain_waiter.h"

// Scanning without a window: the data source manager of the program folder,
// its source without a user interface, pages kept as JPEG files for as long
// as this object lives.
class CliScanner : public CMyTwain {
public:
    ~CliScanner() override;
    // The scanned pages in order; empty with a message on stderr when
    // nothing could be scanned.
    std::vector<std::wstring> Scan(const std::string& device, int pages);

    void AcquisitionFinished() override;

private:
    TwainWakeWaiter waiter_;
    bool finished_ = false;
};
