#include "capture/scan_failure.h"

std::wstring ScanFailureKey(TW_UINT16 condition) {
    switch (condition) {
        case TWCC_SUCCESS:
            return {};
        case TWCC_PAPERJAM:
            return L"ScanPaperJam";
        case TWCC_INTERLOCK:
            return L"ScanCoverOpen";
        case TWCC_NOMEDIA:
            return L"ScanNoPaper";
        case TWCC_DENIED:
            return L"ScanBusy";
        default:
            return L"ScanDeviceError";
    }
}
