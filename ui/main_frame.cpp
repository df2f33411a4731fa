#include "ui/main_frame.h"

#include <QWidget>

#include "account/signed_in_user.h"
#include "app/language.h"
#include "toolkit/controls/button_ui.h"
#include "toolkit/window_effects.h"
#include "ui/open_url.h"
#include "ui/window_messages.h"

namespace {
constexpr int kCloseFadeMilliseconds = 100;
}  // namespace

std::wstring CMainFrame::GetWindowClassName() const { return kMainWindowClass; }

CMainFrame* CMainFrame::Instance() {
    return dynamic_cast<CMainFrame*>(WindowImplBase::FromHandle(FindWindowByClass(kMainWindowClass)));
}

void CMainFrame::Notify(TNotifyUI& msg) {
    if (msg.sType == kNotifyWindowInit) {
        CSkinManager::GetSkinManager().SetReloadTarget(this);
        ShowSignedInState(CurrentUser().IsSignedIn());
    } else if (msg.sType == kNotifyClick) {
        OnClick(msg);
    }
}

void CMainFrame::OnClick(TNotifyUI& msg) {
    const std::wstring& name = msg.sName;
    if (name == L"btnClose") PostMessageW(WM_CLOSE);
    else if (name == L"btnMin") SendMessageW(WM_SYSCOMMAND, SC_MINIMIZE);
    else if (name == L"btnMax") ToggleMaximized();
    else if (name == L"btnOfficalSite") {
        if (auto* site = m_pm.FindControl<CButtonUI>(name)) OpenUrl(site->GetText(), GetHWND());
    }
}

void CMainFrame::ToggleMaximized() {
    const bool maximized = GetWidget() && GetWidget()->isMaximized();
    SendMessageW(WM_SYSCOMMAND, maximized ? SC_RESTORE : SC_MAXIMIZE);
    if (auto* button = m_pm.FindControl<CButtonUI>(L"btnMax"))
        button->SetForeImage(maximized ? QStringLiteral("default/button/max_w.svg")
                                       : QStringLiteral("default/button/restore_w.svg"));
}

LRESULT CMainFrame::HandleCustomMessage(UINT message, WPARAM wParam, LPARAM, bool& handled) {
    handled = false;
    if (message == WM_LOGIN_STATE) {
        ShowSignedInState(wParam == 1);
        handled = true;
    }
    return 0;
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

void CMainFrame::OnFinalMessage(HWND) {
    delete this;
    CPaintManagerUI::PostQuitMessage(0);
}

void CMainFrame::ReloadControlText(std::wstring_view control, std::wstring_view text, int kind) {
    if (control.empty() || text.empty() || !m_pm.FindControl(control)) return;
    ApplyControlText(m_pm, control, text, kind);
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
    frame->PostMessageW(WM_LOGIN_STATE, CurrentUser().IsSignedIn() ? 1 : 0, 0);
}
