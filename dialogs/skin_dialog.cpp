#include "dialogs/skin_dialog.h"

#include <QApplication>
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
    if (QWidget* window = GetWidget())
        window->setProperty("skin", QString::fromStdWString(skinName_));
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

bool CSkinDialog::RaiseOpen(std::wstring_view skinName) {
    const QString name =
        QString::fromWCharArray(skinName.data(), static_cast<qsizetype>(skinName.size()));
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->property("skin").toString() == name) {
            window->raise();
            window->activateWindow();
            return true;
        }
    return false;
}

void CSkinDialog::RaiseActiveModal() {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->raise();
        modal->activateWindow();
    }
}

void CSkinDialog::SetControlText(std::wstring_view name, std::wstring_view text) {
    ApplyControlText(m_pm, name, text, kControlText);
}

void CSkinDialog::SetControlVisible(std::wstring_view name, bool visible) {
    if (QWidget* control = m_pm.FindControl(name)) control->setVisible(visible);
}

std::wstring MessageCaption() { return LangMessage(L"Title"); }
