#include "dialogs/skin_dialog.h"

#include <QWidget>

#include "app/language_file.h"
#include "toolkit/skin_manager.h"

void CSkinDialog::Notify(TNotifyUI& msg) {
    if (msg.sType == kNotifyWindowInit)
        OnWindowInit();
    else if (msg.sType == kNotifyClick)
        OnClick(msg);
}

bool CSkinDialog::CreateOwned(HWND owner) {
    if (!Create(owner, MessageCaption(), kDialogStyle)) return false;
    CenterWindow();
    return true;
}

bool CSkinDialog::RunModal(HWND owner) {
    if (!CreateOwned(owner)) return false;
    ShowModal();
    return true;
}

bool CSkinDialog::ShowModeless(HWND owner) {
    if (!CreateOwned(owner)) return false;
    ShowWindow(SW_SHOWNORMAL);
    return true;
}

void CSkinDialog::SetControlText(std::wstring_view name, std::wstring_view text) {
    ApplyControlText(m_pm, name, text, kControlText);
}

void CSkinDialog::SetControlVisible(std::wstring_view name, bool visible) {
    if (QWidget* control = m_pm.FindControl(name)) control->setVisible(visible);
}

std::wstring MessageCaption() { return LangMessage(L"Title"); }
