#include "ui/info_dialogs.h"

#include "app/program_version.h"
#include "platform/registry.h"
#include "toolkit/controls/button_ui.h"
#include "ui/open_url.h"

namespace {
constexpr std::wstring_view kProductKey = L"Software\\TaviOCR";
}  // namespace

void CAboutDlg::OnWindowInit() {
    SetControlText(L"LabelVersion", ProgramVersion());
    SetControlText(L"LabelUID", RegReadString(RegistryHive::LocalMachine, kProductKey, L"uid", 520)
                                    .value_or(std::wstring()));
    FitHeightToContent();  // no empty band below the texts
}

void CAboutDlg::OnClick(TNotifyUI& msg) {
    if (msg.sName == L"btnClose") {
        Close();
    } else if (msg.sName == L"buttonSite") {
        if (auto* site = Find<CButtonUI>(L"buttonSite")) OpenUrl(site->GetText(), GetHWND());
    }
}

void CCopyingHintDlg::ShowOnce(HWND owner) {
    if (FindWindowByClass(kWindowClass)) return;
    auto* hint = new CCopyingHintDlg;
    if (!hint->ShowModeless(owner)) delete hint;
}

void CCopyingHintDlg::CloseOpen() {
    if (const HWND open = FindWindowByClass(kWindowClass)) ::SendMessageW(open, WM_CLOSE, 0, 0);
}

void CCopyingHintDlg::OnClick(TNotifyUI& msg) {
    if (msg.sName == L"btnClose") Close();
}
