#include "ui/main_frame.h"

#include <QCoreApplication>
#include <QIcon>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>

#include "account/machine_identity.h"
#include "account/signed_in_user.h"
#include "app/language.h"
#include "app/language_file.h"
#include "app/process_globals.h"
#include "app/settings.h"
#include "capture/global_hot_key.h"
#include "capture/scan_failure.h"
#include "capture/screen_cutting.h"
#include "compare/diff_dlg.h"
#include "dialogs/message_box.h"
#include "net/endpoints.h"
#include "recognition/kinds.h"
#include "toolkit/controls/button_ui.h"
#include "toolkit/controls/edit_ui.h"
#include "toolkit/controls/label_ui.h"
#include "toolkit/controls/list_ui.h"
#include "toolkit/controls/tab_layout_ui.h"
#include "toolkit/dpi.h"
#include "toolkit/window_effects.h"
#include "ui/main_modes.h"
#include "ui/main_window_scanner.h"
#include "ui/open_url.h"
#include "ui/update_ui.h"
#include "ui/window_messages.h"
#include "update/update.h"
#include "update/usage_reporter.h"

namespace {
constexpr int kCloseFadeMilliseconds = 100;
}  // namespace

CMainFrame::CMainFrame() : proofread_(&RunCompareView) { job_.SetNotifyWindow(this); }

CMainFrame::~CMainFrame() {
    // The worker may be waiting for this thread to take a result; let it
    // through (the window is gone, so it ends) before the job waits for it.
    while (job_.IsRunning()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

std::wstring CMainFrame::GetWindowClassName() const { return kMainWindowClass; }

CMainFrame* CMainFrame::Instance() {
    return dynamic_cast<CMainFrame*>(
        WindowImplBase::FromHandle(FindWindowByClass(kMainWindowClass)));
}

bool CMainFrame::IsWindow() const { return ::IsWindow(GetHWND()); }

void CMainFrame::OnOcrResult(const OcrResult* result, const ResultPlace& place) {
    ::SendMessageW(GetHWND(), WM_OCR_RESULT, reinterpret_cast<WPARAM>(result),
                   reinterpret_cast<LPARAM>(&place));
}

void CMainFrame::InitWindow() {
    // System DPI awareness; at 200 % and more every window is drawn at 200 %.
    CDPI::SetDPIAwareness(true);
    if (CDPI(GetWidget()).GetDPI() >= 192) SetAllDPI(192);
    DragAcceptFiles(true);
    SetUpCapture();
    SetUpTrayIcon();
    messages_ = std::make_unique<WindowMessageDisplay>(GetHWND());
    job_.SetMessageDisplay(messages_.get());
    // The machine code is computed once, by a run with the rights to store it.
    const auto cancelled = [] { ShowMessageByKey(L"CancelLed", nullptr, kStyleInformation); };
    if (!ReadMachineUid() &&
        !EnsureMachineCode(MachineCodeRunFor(Globals().ExeFolder + L"/taviocr"), cancelled)) {
        ShowWindow(SW_SHOWMINIMIZED);
        Close();
        return;
    }
    // The first start's reports carry the code made a moment ago, too.
    Globals().MachineCode = ReadMachineUid().value_or(std::wstring());
    UsageReporter().SetMachineCode(Globals().MachineCode);
    MainWindowUpdateDisplay().SetOwner(GetHWND());
    CUpdate& update = Updater();
    update.SetDisplay(&MainWindowUpdateDisplay());
    update.SetUpdateHost(Endpoints().updateHost);
    update.SetPublicKey(Endpoints().updatePublicKey);
    // Once the loop runs the window is on the screen (or stays in the tray
    // after a start at log-on): a waiting update is never asked about before.
    QTimer::singleShot(0, GetWidget(), [this] {
        Updater().StartOfRun(GetWidget()->isVisible() && !GetWidget()->isMinimized());
    });
}

void CMainFrame::CheckForUpdates() { Updater().CheckNow(); }

void CMainFrame::Notify(TNotifyUI& msg) {
    if (msg.sType == kNotifyWindowInit) {
        CSkinManager::GetSkinManager().SetReloadTarget(this);
        if (auto* text = m_pm.FindControl<CRichEditUI>(L"ocrText")) {
            // A slim bar without arrow buttons, as wide as the skin's thumb.
            text->verticalScrollBar()->setFixedWidth(12);
        }
        ShowSignedInState(CurrentUser().IsSignedIn());
        CheckSignInAtStart();
    } else if (msg.sType == kNotifyClick) {
        OnClick(msg);
    }
}

void CMainFrame::OnClick(TNotifyUI& msg) {
    const std::wstring& name = msg.sName;
    if (name == L"btnClose")
        OnCloseRequest();
    else if (name == L"btnMenu")
        ShowPopupMenu(L"main_menu.xml");
    else if (name == L"btnMin")
        SendMessageW(WM_SYSCOMMAND, SC_MINIMIZE);
    else if (name == L"btnMax")
        ToggleMaximized();
    else if (name == L"btnLogin")
        OnLoginClick();
    else if (name == L"userNickname")
        ShowPopupMenu(L"user_menu.xml");
    else if (const auto mode = ModeForButton(name)) {
        if (*mode == MainMode::IdCard) ClearIdCardSlots();
        SetModeAndShowAddPage(*mode);
    } else if (name == L"Screenshot-OCR") {
        mainMode_ = MainMode::Screenshot;
        StartScreenCapture();
    } else if (name == L"ScannerPage") {
        OnScanCommand();
    } else if (name == L"Licensen-OCR") {
        SelectPage(MainPage::DocumentKinds);
        mainMode_ = MainMode::Documents;
    } else if (name == L"AppPage") {
        SelectPage(MainPage::Apps);
    } else if (name == L"Back") {
        OnBack();
    } else if (name == L"BackResultOK") {
        OnBackResultOK();
    } else if (name == L"titleLogo" || name == L"buttonAddPic" || name == L"addPicIcon") {
        AddFilesWithDialog();
    } else if (name == L"buttonOCR") {
        OnButtonOCR();
    } else if (name == L"cancleFiles") {
        ClearFiles();
    } else if (name == L"addIdcardFront" || name == L"addIdcardFrontI") {
        ChooseIdCardImage(true);
    } else if (name == L"addIdcardBack" || name == L"addIdcardBackI") {
        ChooseIdCardImage(false);
    } else if (name == L"CopyText") {
        CopyCurrentText();
    } else if (name == L"openOCRFolder") {
        OpenOutputFolder();
    } else if (name == L"saveSearchablePdf") {
        SaveSearchablePdf();
    } else if (name == L"DiffText") {
        OnDiffText();
    } else if (name == L"btnDiff") {
        OnListButtonDiff(msg.pSender);
    } else if (name == L"btnOfficalSite") {
        if (auto* site = m_pm.FindControl<CButtonUI>(name)) OpenUrl(site->GetText(), GetHWND());
    }
}

void CMainFrame::SetModeAndShowAddPage(MainMode mode) {
    mainMode_ = mode;
    ShowModeHeader();
    SelectPage(MainPage::AddImages);
}

void CMainFrame::ShowModeHeader() {
    const ModeInfo* mode = FindMode(mainMode_);
    const std::wstring_view titleKey = mode ? mode->titleKey : std::wstring_view();
    const std::wstring_view icon = mode ? mode->icon : std::wstring_view();
    // The identity card gets its own title too: keeping the previous one
    // would label the two card slots "Bank card" after a bank card run.
    SetBkImage(L"titleLogo", icon.empty() ? L"" : L"../default/images/" + std::wstring(icon));
    SetText(L"titleLicense", titleKey.empty() ? L"" : LangText(titleKey));
    auto* inner = m_pm.FindControl<CTabLayoutUI>(L"tabAddPic");
    const bool idCard = mainMode_ == MainMode::IdCard;
    if (inner) inner->SelectItem(idCard ? 1 : 0);
    SetVisible(L"buttonAddPic", !idCard);
    SetVisible(L"buttonOCR", idCard);
    if (idCard) SetVisible(L"Back", true);
}

CTabLayoutUI* CMainFrame::MainTab() const { return m_pm.FindControl<CTabLayoutUI>(L"tabMain"); }

void CMainFrame::SelectPage(MainPage page) {
    if (CTabLayoutUI* tab = MainTab()) tab->SelectItem(static_cast<int>(page));
}

MainPage CMainFrame::CurrentPage() const {
    const CTabLayoutUI* tab = MainTab();
    return static_cast<MainPage>(tab ? tab->GetCurSel() : -1);
}

void CMainFrame::OnBack() {
    if (scanTimer_ != 0) {
        ShowMessageByKey(L"CannotBack", GetHWND(), kStyleInformation);
        return;
    }
    ShowSpreadsheetMark(false);
    const MainPage page = CurrentPage();
    if (page >= MainPage::AddImages && page <= MainPage::Apps) {
        if (IsDocumentMode(mainMode_) && page == MainPage::DocumentKinds) {
            SelectPage(MainPage::Home);
        } else {
            SelectPage(IsDocumentMode(mainMode_) ? MainPage::DocumentKinds : MainPage::Home);
            if (page == MainPage::AddImages) ClearFiles();
        }
    } else if (page == MainPage::Result || page == MainPage::ResultList) {
        SelectPage(MainPage::AddImages);
    }
    if (mainMode_ == MainMode::CaptureTable) mainMode_ = MainMode::Screenshot;
}

void CMainFrame::OnBackResultOK() {
    if (CurrentPage() == MainPage::ResultList)
        if (auto* list = m_pm.FindControl<CListUI>(L"listFiles")) list->RemoveAll();
    resultMap_.clear();
    ForgetFiles();
    ShowSpreadsheetMark(false);
    switch (mainMode_) {
        case MainMode::Screenshot:
        case MainMode::Scanner:
        case MainMode::CaptureTable:
            SelectPage(MainPage::Home);
            break;
        case MainMode::Documents:
            SelectPage(MainPage::DocumentKinds);
            break;
        case MainMode::IdCard:
            ClearIdCardSlots();
            SetVisible(L"buttonAddPic", false);
            SetVisible(L"buttonOCR", true);
            SetVisible(L"Back", true);
            SetEnabled(L"buttonOCR", true);
            SelectPage(MainPage::AddImages);
            break;
        default:
            SelectPage(MainPage::AddImages);
            break;
    }
    RefreshFileArea();
    if (mainMode_ == MainMode::CaptureTable) mainMode_ = MainMode::Screenshot;
}

void CMainFrame::OnCaptureDone(const std::wstring& capturePath) {
    SelectPage(MainPage::AddImages);
    ForgetFiles();
    if (AddImageFile(capturePath)) {
        RefreshFileArea();
        m_pm.SendNotify(m_pm.FindControl(L"buttonOCR"), kNotifyClick);
    }
}

void CMainFrame::OnScannedImages(const std::vector<std::wstring>& images,
                                 const std::wstring& failureKey) {
    if (const HWND hint = FindWindowByClass(L"TaviOCRCopyDialogClass"))
        ::SendMessageW(hint, WM_CLOSE, 0, 0);
    // The scanner's own reason when it stopped early; the pages before it go on.
    if (!failureKey.empty()) {
        if (images.empty())
            ShowMessageLater(failureKey, kStyleInformation);
        else
            ShowMessageLater(kScanPartialKey, kStyleInformation, LangMessage(failureKey));
    }
    if (images.empty()) return;
    ForgetFiles();
    for (const std::wstring& image : images) AddImageFile(image);
    SelectPage(MainPage::AddImages);
    RefreshFileArea();
    m_pm.SendNotify(m_pm.FindControl(L"buttonOCR"), kNotifyClick);
}

void CMainFrame::ToggleMaximized() {
    const bool maximized = GetWidget() && GetWidget()->isMaximized();
    SendMessageW(WM_SYSCOMMAND, maximized ? SC_RESTORE : SC_MAXIMIZE);
    if (auto* button = m_pm.FindControl<CButtonUI>(L"btnMax"))
        button->SetForeImage(maximized ? QStringLiteral("default/button/max_w.svg")
                                       : QStringLiteral("default/button/restore_w.svg"));
}

void CMainFrame::OnTimer(UINT id) {
    if (id != kScanTimerId) return;
    animationFrame_ = (animationFrame_ + 1) % kScanFrames;
    const int left = static_cast<int>(animationFrame_) * 191;
    SetBkImage(L"scanAni", L"file='../default/gif/scan.png' source='" + std::to_wstring(left) +
                               L",0," + std::to_wstring(left + 191) + L",158'");
}

LRESULT CMainFrame::HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    switch (message) {
        case WM_LOGIN_STATE:
            if (lParam == kForgetSignIn) SignOut(CurrentUser());
            ShowSignedInState(wParam == 1);
            SetEnabled(L"userNickname", true);
            SetEnabled(L"btnLogin", true);
            return 0;
        case WM_MENU_COMMAND:
            OnMenuCommand(reinterpret_cast<MenuCmd*>(wParam));
            return 0;
        case WM_CAPTURE_DONE:
            OnCaptureDone();
            return 0;
        case WM_TWAIN_EVENT:
            OnTwainEvent();
            return 0;
        case WM_OCR_RESULT:
            HandleOcrResult(reinterpret_cast<const OcrResult*>(wParam),
                            *reinterpret_cast<const ResultPlace*>(lParam));
            return 0;
        default:
            handled = false;
            return 0;
    }
}

void CMainFrame::ShowSignedInState(bool signedIn) {
    if (QWidget* login = m_pm.FindControl(L"btnLogin")) login->setVisible(!signedIn);
    if (auto* nick = m_pm.FindControl<CButtonUI>(L"userNickname")) {
        nick->SetText(CurrentUser().nickName);
        nick->setVisible(signedIn);
    }
}

LRESULT CMainFrame::OnClose(UINT, WPARAM, LPARAM, bool& handled) {
    handled = true;
    if (closing_ || !GetWidget()) return 0;
    closing_ = true;
    FadeInOut(GetWidget(), false, kCloseFadeMilliseconds, true, [this] { DestroyWindow(); });
    return 0;
}

LRESULT CMainFrame::OnSysCommand(UINT message, WPARAM command, LPARAM lParam, bool& handled) {
    if ((command & 0xFFF0) == SC_CLOSE) {
        // Alt+F4 and the like end the program at once, whatever the close setting says.
        handled = true;
        DestroyWindow();
        return 0;
    }
    return WindowImplBase::OnSysCommand(message, command, lParam, handled);
}

void CMainFrame::OnDestroy() {
    // The window's end waits for its recognition worker: that one must not
    // wait on a server or an engine that takes its time.
    job_.Cancel();
    if (hotKey_) hotKey_->Unregister();
    KillTimer(kScanTimerId);
    scanTimer_ = 0;
    ShutDownScanner();
    // An update check still running shows nothing any more.
    MainWindowUpdateDisplay().SetOwner(nullptr);
}

void CMainFrame::OnFinalMessage(HWND) {
    delete this;
    CPaintManagerUI::PostQuitMessage(0);
}

void CMainFrame::ReloadControlText(std::wstring_view control, std::wstring_view text, int kind) {
    if (control.empty() || text.empty() || !m_pm.FindControl(control)) return;
    ApplyControlText(m_pm, control, text, kind);
}

void CMainFrame::SetText(std::wstring_view control, std::wstring_view text) {
    ApplyControlText(m_pm, control, text, kControlText);
}

void CMainFrame::SetVisible(std::wstring_view control, bool visible) {
    if (QWidget* widget = m_pm.FindControl(control)) widget->setVisible(visible);
}

void CMainFrame::SetEnabled(std::wstring_view control, bool enabled) {
    if (QWidget* widget = m_pm.FindControl(control)) widget->setEnabled(enabled);
}

// A table run marks the start button with a spreadsheet, left of its text.
void CMainFrame::ShowSpreadsheetMark(bool shown) {
    auto* button = m_pm.FindControl<CButtonUI>(L"buttonOCR");
    if (!button) return;
    const QPixmap mark =
        shown ? CPaintManagerUI::LoadImage("default/images/xls.png", button->devicePixelRatioF())
              : QPixmap();
    QIcon icon;
    if (!mark.isNull()) {
        icon.addPixmap(mark);
        // The button is disabled while the table is read. The mark keeps its
        // colours there, faded: the grey copy Qt would make of a box with a
        // cross reads as an error.
        QPixmap faded(mark.size());
        faded.setDevicePixelRatio(mark.devicePixelRatio());
        faded.fill(Qt::transparent);
        QPainter painter(&faded);
        painter.setOpacity(0.65);
        painter.drawPixmap(0, 0, mark);
        painter.end();
        icon.addPixmap(faded, QIcon::Disabled);
    }
    button->setIcon(icon);
    button->setIconSize(QSize(20, 20));
}

void CMainFrame::SetBkImage(std::wstring_view control, std::wstring_view image) {
    QWidget* widget = m_pm.FindControl(control);
    const QString value = QString::fromStdWString(std::wstring(image));
    if (auto* button = dynamic_cast<CButtonUI*>(widget))
        button->SetBkImage(value);
    else if (auto* label = dynamic_cast<CLabelUI*>(widget))
        label->SetBkImage(value);
}

void ReloadInterfaceTexts() {
    CMainFrame* frame = CMainFrame::Instance();
    if (!frame) return;
    CPaintManagerUI::SetResourceZip(SkinPackageName(), kSkinPackagePassword, false);
    CPaintManagerUI::ReloadSkin();
    CSkinManager& skins = CSkinManager::GetSkinManager();
    skins.ReloadFont(&frame->PaintManager(), L"Default.xml");
    for (std::wstring_view layout : kReloadedLayouts) skins.LoadLanguage(layout);
    skins.ReloadText();
    skins.ResetTextMap();
    frame->PaintManager().UpdateAccessibleNames();
    if (QWidget* window = frame->GetWidget()) {
        window->updateGeometry();
        window->update();
    }
    frame->ShowHotKeyInTray();
    frame->PostMessageW(WM_LOGIN_STATE, CurrentUser().IsSignedIn() ? 1 : 0, 0);
}
