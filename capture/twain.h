#pragma once

#include <string>
#include <vector>

#include "twain/twain_types.h"

// The application side of TWAIN: loads the data source manager from the
// program folder, opens it and a source, negotiates the page count, enables
// the source and pulls each page as a native (DIB) transfer when the manager
// reports one through ProcessEvent. States as TWAIN numbers them:
//   3 manager open, 4 source open, 5 source enabled,
//   6 a transfer ready, 7 a transfer under way (inside the transfer loop).
class CTwain {
public:
    // Whether the source shows its own window (settings, then "Scan"). A
    // driver that waits for wake-ups on its thread cannot serve a window and
    // asks for none: the scan then starts at once.
    enum class SourceWindow { Shown, None };

    CTwain();
    virtual ~CTwain();
    CTwain(const CTwain&) = delete;
    CTwain& operator=(const CTwain&) = delete;

    virtual void GetIdentity();
    virtual bool SelectSource();
    virtual bool OpenSource(const TW_IDENTITY* identity = nullptr);
    // Whether to take the page the source offers.
    enum class Transfer { Take, Skip, CancelAll };
    virtual Transfer ShouldTransfer(const TW_IMAGEINFO& /*info*/) { return Transfer::Take; }
    virtual void DisableSource();
    virtual bool CanClose() { return true; }
    // One page: a DIB the caller frees afterwards.
    virtual void CopyImage(TW_HANDLE dib, const TW_IMAGEINFO& info) = 0;
    virtual void AcquisitionFinished() = 0;

    // parent: the window the manager wakes (through wake) when it has an
    // event; folder: where the manager module lies.
    bool InitSourceManager(const TW_PARENT& parent, const std::wstring& folder);
    bool CallSourceManager(TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 dataType,
                           TW_UINT16 message, TW_MEMREF data);
    bool EnumerateSources(std::vector<TW_IDENTITY>& sources);
    bool Acquire(int pageCount, SourceWindow window = SourceWindow::Shown);
    // Offered every message of the parent while a source is known; always 0.
    int ProcessEvent();
    void CloseSource();
    void ShutdownSourceManager();

    bool IsLoaded() const { return entry_ != nullptr; }
    bool SourceKnown() const { return sourceKnown_; }
    bool IsNewManager() const { return newManager_; }
    TW_UINT16 LastReturnCode() const { return returnCode_; }
    const TW_STATUS& Status() const { return status_; }
    int PageCount() const { return pageCount_; }
    // Why the last acquisition ended early (a TWAIN condition: paper jam,
    // cover open, no paper, busy, device error); TWCC_SUCCESS when it did not.
    TW_UINT16 ScanFailure() const { return scanFailure_; }
    const TW_IDENTITY& AppIdentity() const { return appIdentity_; }

private:
    bool SetTransferCount(int pageCount);
    void TransferImages();

    void* library_ = nullptr;
    DSMENTRYPROC entry_ = nullptr;
    TW_IDENTITY appIdentity_{};
    TW_IDENTITY source_{};
    TW_STATUS status_{};
    TW_UINT16 returnCode_ = TWRC_SUCCESS;
    TW_PARENT parent_{};
    bool sourceKnown_ = false;
    bool managerOpen_ = false;
    bool sourceOpen_ = false;
    bool enabled_ = false;
    TW_UINT16 modalUi_ = 1;
    bool newManager_ = false;
    short pageCount_ = -1;
    TW_UINT16 scanFailure_ = TWCC_SUCCESS;
};
