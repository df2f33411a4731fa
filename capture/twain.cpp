#include "capture/twain.h"

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>

#include "platform/debug_trace.h"
#include "platform/file_io.h"
#include "platform/text.h"

namespace {

void CopyName(TW_STR32& target, const char* text) {
    std::memset(target, 0, sizeof(TW_STR32));
    std::strncpy(target, text, sizeof(TW_STR32) - 2);
}

}  // namespace

CTwain::CTwain() = default;

CTwain::~CTwain() { ShutdownSourceManager(); }

void CTwain::GetIdentity() {
    appIdentity_ = TW_IDENTITY{};
    appIdentity_.Id = 0;
    appIdentity_.Version.MajorNum = 3;
    appIdentity_.Version.MinorNum = 5;
    appIdentity_.Version.Language = 13;
    appIdentity_.Version.Country = 1;
    CopyName(appIdentity_.Version.Info, "3.5");
    appIdentity_.ProtocolMajor = 2;
    appIdentity_.ProtocolMinor = 4;
    appIdentity_.SupportedGroups = DG_CONTROL | DG_IMAGE;
    CopyName(appIdentity_.Manufacturer, "MICSS");
    CopyName(appIdentity_.ProductFamily, "Generic");
    CopyName(appIdentity_.ProductName, "Twain Test");
}

bool CTwain::InitSourceManager(const TW_PARENT& parent, const std::wstring& folder) {
    if (library_) return true;
    appIdentity_ = TW_IDENTITY{};
    if (!parent.window) return false;
    parent_ = parent;
    if (!newManager_) newManager_ = FileExists(folder + L"/TWAINDSM.dll");
    const std::wstring path = folder + (newManager_ ? L"/TWAINDSM.dll" : L"/TWAIN_32.DLL");
    library_ = ::dlopen(WideToUtf8(path).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library_) {
        DebugTrace(L"TWAIN manager not loaded\n");
        return false;
    }
    entry_ = reinterpret_cast<DSMENTRYPROC>(::dlsym(library_, "DSM_Entry"));
    if (!entry_) {
        ::dlclose(library_);
        library_ = nullptr;
        return false;
    }
    GetIdentity();
    managerOpen_ = CallSourceManager(nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &parent_);
    return true;
}

bool CTwain::CallSourceManager(TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 dataType,
                               TW_UINT16 message, TW_MEMREF data) {
    if (!entry_) {
        returnCode_ = TWRC_FAILURE;
        return false;
    }
    returnCode_ = entry_(&appIdentity_, destination, group, dataType, message, data);
    if (returnCode_ != TWRC_SUCCESS)
        entry_(&appIdentity_, destination, DG_CONTROL, DAT_STATUS, MSG_GET, &status_);
    return returnCode_ == TWRC_SUCCESS;
}

bool CTwain::EnumerateSources(std::vector<TW_IDENTITY>& sources) {
    TW_IDENTITY identity{};
    if (!CallSourceManager(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &identity))
        return false;
    do {
        sources.push_back(identity);
    } while (CallSourceManager(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &identity));
    return true;
}

bool CTwain::SelectSource() {
    source_ = TW_IDENTITY{};
    if (!sourceKnown_ &&
        CallSourceManager(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &source_))
        sourceKnown_ = true;
    if (CallSourceManager(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT, &source_))
        sourceKnown_ = true;
    return sourceKnown_;
}

bool CTwain::OpenSource(const TW_IDENTITY* identity) {
    if (identity) {
        source_ = *identity;
        sourceKnown_ = true;
    }
    if (!sourceKnown_ &&
        CallSourceManager(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &source_))
        sourceKnown_ = true;
    if (library_ && managerOpen_ && sourceKnown_ && !sourceOpen_)
        sourceOpen_ = CallSourceManager(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source_);
    return library_ && managerOpen_ && sourceOpen_;
}

bool CTwain::SetTransferCount(int pageCount) {
    TW_ONEVALUE value{TWTY_INT16, static_cast<TW_UINT32>(static_cast<TW_UINT16>(pageCount))};
    TW_CAPABILITY capability{CAP_XFERCOUNT, TWON_ONEVALUE, &value};
    if (CallSourceManager(&source_, DG_CONTROL, DAT_CAPABILITY, MSG_SET, &capability)) {
        pageCount_ = static_cast<short>(pageCount);
        return true;
    }
    if (returnCode_ != TWRC_CHECKSTATUS) return false;
    // The source could not take the count: it gets its own back.
    TW_CAPABILITY current{CAP_XFERCOUNT, TWON_DONTCARE16, nullptr};
    if (!CallSourceManager(&source_, DG_CONTROL, DAT_CAPABILITY, MSG_GET, &current) ||
        !current.hContainer)
        return false;
    const auto* held = static_cast<const TW_ONEVALUE*>(current.hContainer);
    const TW_UINT32 own = held->Item;
    std::free(current.hContainer);
    TW_ONEVALUE again{TWTY_UINT16, own};
    TW_CAPABILITY setAgain{CAP_XFERCOUNT, TWON_ONEVALUE, &again};
    if (!CallSourceManager(&source_, DG_CONTROL, DAT_CAPABILITY, MSG_SET, &setAgain)) return false;
    pageCount_ = static_cast<short>(static_cast<TW_UINT16>(own));
    return true;
}

bool CTwain::Acquire(int pageCount, SourceWindow window) {
    scanFailure_ = TWCC_SUCCESS;
    if ((!library_ || !managerOpen_ || !sourceOpen_) && !OpenSource()) return false;
    if (!SetTransferCount(pageCount)) return false;
    if (enabled_) return false;
    TW_USERINTERFACE ui{TW_UINT16(window == SourceWindow::Shown ? 1 : 0), 0, parent_.window};
    enabled_ = CallSourceManager(&source_, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
    modalUi_ = enabled_ ? ui.ModalUI : 1;
    return enabled_;
}

int CTwain::ProcessEvent() {
    if (!enabled_) return 0;
    TW_EVENT event{nullptr, MSG_NULL};
    if (!CallSourceManager(&source_, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event) &&
        returnCode_ != TWRC_DSEVENT)
        return 0;  // TWRC_NOTDSEVENT: not for the source
    if (event.TWMessage == MSG_XFERREADY) {
        TransferImages();
    } else if (event.TWMessage == MSG_CLOSEDSREQ && CanClose()) {
        // The status that came with the event says why the scan ended.
        scanFailure_ = status_.ConditionCode;
        CloseSource();
        AcquisitionFinished();
    }
    return 0;
}

// State 6 → 7 → 6 … → 5: one page per pass while the source reports more.
void CTwain::TransferImages() {
    bool pending = true;
    while (pending) {
        TW_IMAGEINFO info{};
        TW_PENDINGXFERS transfers{};
        if (!CallSourceManager(&source_, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info)) {
            // Without the page's description nothing can be taken, and asking
            // again would ask forever: the transfers end, and so does the
            // acquisition, with the pages taken so far.
            CallSourceManager(&source_, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &transfers);
            CloseSource();
            AcquisitionFinished();
            return;
        }
        const Transfer decision = ShouldTransfer(info);
        if (decision == Transfer::CancelAll) {
            CallSourceManager(&source_, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &transfers);
            return;
        }
        if (decision == Transfer::Take) {
            TW_HANDLE dib = nullptr;
            CallSourceManager(&source_, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &dib);
            switch (returnCode_) {
                case TWRC_XFERDONE:
                    CopyImage(dib, info);
                    break;
                case TWRC_CANCEL:
                    break;
                case TWRC_FAILURE:
                    std::free(dib);
                    CallSourceManager(&source_, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET,
                                      &transfers);
                    return;
                default:  // TWRC_SUCCESS: nothing more to take
                    AcquisitionFinished();
                    break;
            }
            std::free(dib);
        }
        pending =
            CallSourceManager(&source_, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &transfers) &&
            transfers.Count != 0;
    }
}

void CTwain::DisableSource() {
    if (!enabled_) return;
    TW_USERINTERFACE ui{0, 0, parent_.window};
    if (CallSourceManager(&source_, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui))
        enabled_ = false;
}

void CTwain::CloseSource() {
    if (!library_ || !managerOpen_ || !sourceOpen_) return;
    DisableSource();
    CallSourceManager(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &source_);
    sourceOpen_ = false;
}

void CTwain::ShutdownSourceManager() {
    CloseSource();
    if (managerOpen_ && CallSourceManager(nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &parent_))
        managerOpen_ = false;
    if (library_) {
        // The module's threads are gone once the manager closed; unloading it
        // while they run would pull code from under them.
        if (!managerOpen_) ::dlclose(library_);
        library_ = nullptr;
        entry_ = nullptr;
    }
}
