// The data source manager: DSM_Entry over SANE. States as TWAIN numbers
// them: 2 loaded, 3 manager open, 4 source open, 5 source enabled, 6 a
// transfer ready, 7 a transfer under way. Pages are read on a worker thread
// and queued; the application learns of them through MSG_PROCESSEVENT after
// the manager woke it through its parent.

#include <QApplication>
#include <QPointer>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

#include "twain/sane_scanner.h"
#include "twain/source_dialog.h"
#include "twain/twain_types.h"

namespace {

// A feeder asked for every page stops here even if it never runs empty.
constexpr int kMostPagesOfAFeeder = 500;

enum class State {
    Loaded = 2,
    ManagerOpen = 3,
    SourceOpen = 4,
    Enabled = 5,
    XferReady = 6,
    Transferring = 7
};

class SourceManager {
public:
    ~SourceManager() { StopScan(); }
    TW_UINT16 Entry(TW_UINT32 group, TW_UINT16 dataType, TW_UINT16 message, TW_MEMREF data);

private:
    TW_UINT16 Fail(TW_UINT16 condition) {
        status_.ConditionCode = condition;
        return TWRC_FAILURE;
    }
    TW_UINT16 OpenManager(const TW_PARENT* parent);
    TW_UINT16 CloseManager();
    TW_UINT16 Identity(TW_UINT16 message, TW_IDENTITY* identity);
    TW_UINT16 Capability(TW_UINT16 message, TW_CAPABILITY* capability);
    TW_UINT16 UserInterface(TW_UINT16 message, TW_USERINTERFACE* ui);
    TW_UINT16 ProcessEvent(TW_EVENT* event);
    TW_UINT16 PendingTransfers(TW_UINT16 message, TW_PENDINGXFERS* pending);
    TW_UINT16 NativeTransfer(TW_HANDLE* handle);

    void FillIdentity(std::size_t device, TW_IDENTITY& identity) const;
    void StartScan(const ScanSettings& settings, int pages);
    void StopScan();
    void Wake() {
        if (parent_.wake) parent_.wake(parent_.window);
    }
    // From the worker: runs on the dialog's thread while it is open.
    template <typename Update>
    void ShowOnDialog(Update update) {
        if (!withDialog_) return;
        QMetaObject::invokeMethod(
            qApp,
            [this, update] {
                if (dialog_) update(*dialog_);
            },
            Qt::QueuedConnection);
    }

    State state_ = State::Loaded;
    TW_STATUS status_{};
    TW_PARENT parent_{};
    std::vector<SaneDeviceInfo> devices_;
    std::size_t nextDevice_ = 0;
    TW_IDENTITY source_{};
    SaneScanner scanner_;
    int xferCount_ = -1;
    bool withDialog_ = false;
    QPointer<SourceDialog> dialog_;
    std::thread worker_;

    std::mutex mutex_;  // guards what the worker hands over
    std::deque<ScanPage> pages_;
    bool closeRequested_ = false;
    TW_UINT16 scanCondition_ = TWCC_SUCCESS;  // why the last scan ended early
};

// A device status as a TWAIN condition; success for an ordinary end.
TW_UINT16 ConditionOf(SANE_Status status, int pagesRead) {
    switch (status) {
        case SANE_STATUS_GOOD:
        case SANE_STATUS_EOF:
        case SANE_STATUS_CANCELLED:
            return TWCC_SUCCESS;
        case SANE_STATUS_NO_DOCS:
            return pagesRead > 0 ? TWCC_SUCCESS : TWCC_NOMEDIA;
        case SANE_STATUS_JAMMED:
            return TWCC_PAPERJAM;
        case SANE_STATUS_COVER_OPEN:
            return TWCC_INTERLOCK;
        case SANE_STATUS_DEVICE_BUSY:
            return TWCC_DENIED;
        default:
            return TWCC_CHECKDEVICEONLINE;
    }
}

void CopyName(TW_STR32& target, const std::string& text) {
    std::memset(target, 0, sizeof(TW_STR32));
    std::strncpy(target, text.c_str(), sizeof(TW_STR32) - 2);
}

TW_UINT16 SourceManager::Entry(TW_UINT32 group, TW_UINT16 dataType, TW_UINT16 message,
                               TW_MEMREF data) {
    if (dataType == DAT_STATUS && message == MSG_GET) {
        if (!data) return TWRC_FAILURE;
        *static_cast<TW_STATUS*>(data) = status_;
        status_ = TW_STATUS{};
        return TWRC_SUCCESS;
    }
    status_ = TW_STATUS{};
    if (group == DG_CONTROL) {
        switch (dataType) {
            case DAT_PARENT:
                if (message == MSG_OPENDSM) return OpenManager(static_cast<TW_PARENT*>(data));
                if (message == MSG_CLOSEDSM) return CloseManager();
                break;
            case DAT_IDENTITY:
                return Identity(message, static_cast<TW_IDENTITY*>(data));
            case DAT_CAPABILITY:
                return Capability(message, static_cast<TW_CAPABILITY*>(data));
            case DAT_USERINTERFACE:
                return UserInterface(message, static_cast<TW_USERINTERFACE*>(data));
            case DAT_EVENT:
                if (message == MSG_PROCESSEVENT) return ProcessEvent(static_cast<TW_EVENT*>(data));
                break;
            case DAT_PENDINGXFERS:
                return PendingTransfers(message, static_cast<TW_PENDINGXFERS*>(data));
        }
    } else if (group == DG_IMAGE && message == MSG_GET) {
        if (dataType == DAT_IMAGEINFO) {
            if (state_ != State::XferReady) return Fail(TWCC_SEQERROR);
            if (!data) return Fail(TWCC_BADVALUE);
            std::lock_guard lock(mutex_);
            *static_cast<TW_IMAGEINFO*>(data) = pages_.front().info;
            return TWRC_SUCCESS;
        }
        if (dataType == DAT_IMAGENATIVEXFER) return NativeTransfer(static_cast<TW_HANDLE*>(data));
    }
    return Fail(TWCC_BADPROTOCOL);
}

TW_UINT16 SourceManager::OpenManager(const TW_PARENT* parent) {
    if (state_ != State::Loaded) return Fail(TWCC_SEQERROR);
    if (!parent) return Fail(TWCC_BADVALUE);
    SANE_Int version = 0;
    if (sane_init(&version, nullptr) != SANE_STATUS_GOOD) return Fail(TWCC_BUMMER);
    parent_ = *parent;
    state_ = State::ManagerOpen;
    return TWRC_SUCCESS;
}

TW_UINT16 SourceManager::CloseManager() {
    if (state_ != State::ManagerOpen) return Fail(TWCC_SEQERROR);
    sane_exit();
    parent_ = TW_PARENT{};
    state_ = State::Loaded;
    return TWRC_SUCCESS;
}

void SourceManager::FillIdentity(std::size_t device, TW_IDENTITY& identity) const {
    const SaneDeviceInfo& info = devices_[device];
    identity = TW_IDENTITY{};
    identity.Id = static_cast<TW_UINT32>(device + 1);
    identity.Version.MajorNum = 1;
    identity.ProtocolMajor = 2;
    identity.ProtocolMinor = 4;
    identity.SupportedGroups = DG_CONTROL | DG_IMAGE;
    CopyName(identity.Manufacturer, info.vendor);
    CopyName(identity.ProductFamily, info.name);
    CopyName(identity.ProductName, info.vendor + " " + info.model + " (" + info.name + ")");
}

TW_UINT16 SourceManager::Identity(TW_UINT16 message, TW_IDENTITY* identity) {
    if (state_ < State::ManagerOpen) return Fail(TWCC_SEQERROR);
    if (!identity) return Fail(TWCC_BADVALUE);
    switch (message) {
        case MSG_GETFIRST:
        case MSG_GETDEFAULT:
        case MSG_USERSELECT:  // no chooser of its own: the first device
            devices_ = ListSaneDevices();
            nextDevice_ = 0;
            if (devices_.empty()) {
                if (message == MSG_GETFIRST) return TWRC_ENDOFLIST;
                return Fail(TWCC_NODS);
            }
            FillIdentity(nextDevice_++, *identity);
            return TWRC_SUCCESS;
        case MSG_GETNEXT:
            if (nextDevice_ >= devices_.size()) return TWRC_ENDOFLIST;
            FillIdentity(nextDevice_++, *identity);
            return TWRC_SUCCESS;
        case MSG_OPENDS: {
            if (state_ != State::ManagerOpen) return Fail(TWCC_SEQERROR);
            const std::string name(identity->ProductFamily,
                                   strnlen(identity->ProductFamily, sizeof(TW_STR32)));
            if (!scanner_.Open(name)) return Fail(TWCC_NODS);
            source_ = *identity;
            xferCount_ = -1;
            state_ = State::SourceOpen;
            return TWRC_SUCCESS;
        }
        case MSG_CLOSEDS:
            if (state_ != State::SourceOpen) return Fail(TWCC_SEQERROR);
            scanner_.Close();
            state_ = State::ManagerOpen;
            return TWRC_SUCCESS;
    }
    return Fail(TWCC_BADPROTOCOL);
}

TW_UINT16 SourceManager::Capability(TW_UINT16 message, TW_CAPABILITY* capability) {
    if (state_ < State::SourceOpen) return Fail(TWCC_SEQERROR);
    if (!capability) return Fail(TWCC_BADVALUE);
    if (capability->Cap != CAP_XFERCOUNT) return Fail(TWCC_BADCAP);
    if (message == MSG_GET || message == MSG_GETCURRENT) {
        auto* value = static_cast<TW_ONEVALUE*>(std::malloc(sizeof(TW_ONEVALUE)));
        if (!value) return Fail(TWCC_LOWMEMORY);
        value->ItemType = TWTY_INT16;
        value->Item = static_cast<TW_UINT32>(static_cast<TW_UINT16>(xferCount_));
        capability->ConType = TWON_ONEVALUE;
        capability->hContainer = value;
        return TWRC_SUCCESS;
    }
    if (message != MSG_SET) return Fail(TWCC_BADPROTOCOL);
    if (state_ != State::SourceOpen) return Fail(TWCC_SEQERROR);
    const auto* value = static_cast<const TW_ONEVALUE*>(capability->hContainer);
    if (capability->ConType != TWON_ONEVALUE || !value ||
        (value->ItemType != TWTY_INT16 && value->ItemType != TWTY_UINT16))
        return Fail(TWCC_BADVALUE);
    const auto count = static_cast<TW_INT16>(static_cast<TW_UINT16>(value->Item));
    if (count == 0 || count < -1) return Fail(TWCC_BADVALUE);
    // A flatbed cannot scan "as many as there are": it keeps one page and
    // says so; the caller reads the count back.
    if (count == -1 && !scanner_.HasFeeder()) {
        xferCount_ = 1;
        return TWRC_CHECKSTATUS;
    }
    xferCount_ = count;
    return TWRC_SUCCESS;
}

TW_UINT16 SourceManager::UserInterface(TW_UINT16 message, TW_USERINTERFACE* ui) {
    if (message == MSG_ENABLEDS) {
        if (state_ != State::SourceOpen) return Fail(TWCC_SEQERROR);
        if (!ui) return Fail(TWCC_BADVALUE);
        {
            std::lock_guard lock(mutex_);
            pages_.clear();
            closeRequested_ = false;
        }
        withDialog_ = ui->ShowUI != 0 && qobject_cast<QApplication*>(QCoreApplication::instance());
        ui->ModalUI = 0;
        state_ = State::Enabled;
        if (!withDialog_) {
            StartScan(ScanSettings{}, xferCount_);
            return TWRC_SUCCESS;
        }
        const std::string title(source_.ProductName,
                                strnlen(source_.ProductName, sizeof(TW_STR32)));
        dialog_ = new SourceDialog(
            scanner_, title, xferCount_,
            [this](const ScanSettings& settings, int pages) { StartScan(settings, pages); });
        QObject::connect(dialog_, &QObject::destroyed, [this] {
            {
                std::lock_guard lock(mutex_);
                closeRequested_ = true;
            }
            scanner_.Cancel();
            Wake();
        });
        dialog_->show();
        // Above the program's own "copying" hint, which opens just before.
        dialog_->raise();
        dialog_->activateWindow();
        return TWRC_SUCCESS;
    }
    if (message == MSG_DISABLEDS) {
        if (state_ != State::Enabled) return Fail(TWCC_SEQERROR);
        StopScan();
        if (dialog_) {
            QObject::disconnect(dialog_, nullptr, nullptr, nullptr);
            delete dialog_;
        }
        std::lock_guard lock(mutex_);
        pages_.clear();
        closeRequested_ = false;
        state_ = State::SourceOpen;
        return TWRC_SUCCESS;
    }
    return Fail(TWCC_BADPROTOCOL);
}

void SourceManager::StartScan(const ScanSettings& settings, int pages) {
    StopScan();
    scanner_.Apply(settings);
    const bool untilEmpty = pages < 0;
    worker_ = std::thread([this, pages, untilEmpty] {
        int read = 0;
        while (untilEmpty ? read < kMostPagesOfAFeeder : read < pages) {
            bool noMore = false;
            std::optional<ScanPage> page = scanner_.ReadPage(noMore, [this, read](int percent) {
                ShowOnDialog([read, percent](SourceDialog& dialog) {
                    dialog.OnPageProgress(read + 1, percent);
                });
            });
            if (!page) {
                // An empty feeder after pages is the normal end; anything
                // else the application hears of with the close request.
                const TW_UINT16 condition = ConditionOf(scanner_.LastStatus(), read);
                std::lock_guard lock(mutex_);
                scanCondition_ = condition;
                break;
            }
            ++read;
            {
                std::lock_guard lock(mutex_);
                pages_.push_back(std::move(*page));
            }
            // The application first, so the window can stay above whatever
            // the page made it open.
            Wake();
            ShowOnDialog([read](SourceDialog& dialog) { dialog.OnPageRead(read); });
        }
        if (withDialog_) {
            ShowOnDialog([](SourceDialog& dialog) { dialog.OnScanEnded(); });
        } else {
            {
                std::lock_guard lock(mutex_);
                closeRequested_ = true;
            }
            Wake();
        }
    });
}

void SourceManager::StopScan() {
    if (!worker_.joinable()) return;
    scanner_.Cancel();
    worker_.join();
}

TW_UINT16 SourceManager::ProcessEvent(TW_EVENT* event) {
    if (state_ < State::Enabled) return Fail(TWCC_SEQERROR);
    if (!event) return Fail(TWCC_BADVALUE);
    event->TWMessage = MSG_NULL;
    if (state_ != State::Enabled) return TWRC_NOTDSEVENT;
    std::lock_guard lock(mutex_);
    if (!pages_.empty()) {
        event->TWMessage = MSG_XFERREADY;
        state_ = State::XferReady;
        return TWRC_DSEVENT;
    }
    if (closeRequested_) {
        closeRequested_ = false;
        // Why the scan ended, for the DAT_STATUS that follows.
        status_.ConditionCode = std::exchange(scanCondition_, TWCC_SUCCESS);
        event->TWMessage = MSG_CLOSEDSREQ;
        return TWRC_DSEVENT;
    }
    return TWRC_NOTDSEVENT;
}

TW_UINT16 SourceManager::NativeTransfer(TW_HANDLE* handle) {
    if (state_ != State::XferReady) return Fail(TWCC_SEQERROR);
    if (!handle) return Fail(TWCC_BADVALUE);
    std::lock_guard lock(mutex_);
    const std::vector<std::uint8_t>& dib = pages_.front().dib;
    void* copy = std::malloc(dib.size());
    if (!copy) return Fail(TWCC_LOWMEMORY);
    std::memcpy(copy, dib.data(), dib.size());
    *handle = copy;
    state_ = State::Transferring;
    return TWRC_XFERDONE;
}

TW_UINT16 SourceManager::PendingTransfers(TW_UINT16 message, TW_PENDINGXFERS* pending) {
    if (!pending) return Fail(TWCC_BADVALUE);
    if (message == MSG_ENDXFER) {
        if (state_ != State::XferReady && state_ != State::Transferring) return Fail(TWCC_SEQERROR);
        std::lock_guard lock(mutex_);
        pages_.pop_front();
        // Pages still being read are announced with the next MSG_XFERREADY.
        pending->Count = static_cast<TW_UINT16>(pages_.size());
        state_ = pages_.empty() ? State::Enabled : State::XferReady;
        if (pages_.empty()) Wake();  // a close request may be waiting
        return TWRC_SUCCESS;
    }
    if (message == MSG_RESET) {
        if (state_ != State::XferReady) return Fail(TWCC_SEQERROR);
        StopScan();
        std::lock_guard lock(mutex_);
        pages_.clear();
        pending->Count = 0;
        state_ = State::Enabled;
        if (!withDialog_) closeRequested_ = true;
        Wake();
        return TWRC_SUCCESS;
    }
    return Fail(TWCC_BADPROTOCOL);
}

SourceManager& Manager() {
    static SourceManager manager;
    return manager;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) TW_UINT16 DSM_Entry(
    TW_IDENTITY* /*origin*/, TW_IDENTITY* /*destination*/, TW_UINT32 group, TW_UINT16 dataType,
    TW_UINT16 message, TW_MEMREF data) {
    return Manager().Entry(group, dataType, message, data);
}
