#include "ui/question_dialogs.h"

#include "app/setting_keys.h"
#include "app/settings.h"

void CMessageCopyDlg::OnClick(TNotifyUI& msg) {
    if (msg.sName != L"btnClose" && msg.sName != L"btnYes") return;
    if (IsDlgButtonChecked(L"NotRemind") == BST_CHECKED) ChangeSetting(kRemindWhenCopy, 0);
    Close();
}

void CMessageExitDlg::OnWindowInit() {
    CheckDlgButton(GlobalSettings().HideWhenClose == 1 ? L"optHide" : L"optExit", BST_CHECKED);
}

void CMessageExitDlg::OnClick(TNotifyUI& msg) {
    if (msg.sName == L"btnClose") {
        cancelled = true;
        Close();
    } else if (msg.sName == L"btnYes") {
        if (IsDlgButtonChecked(L"checkNotRemind") == BST_CHECKED)
            ChangeSetting(kRemindWhenClose, 0);
        const int hide = IsDlgButtonChecked(L"optHide") == BST_CHECKED ? 1 : 0;
        if (hide != GlobalSettings().HideWhenClose) ChangeSetting(kHideWhenClose, hide);
        cancelled = false;
        Close();
    }
}

void CMessageMerge::OnWindowInit() {
    CheckDlgButton(L"checkNotRemind",
                   GlobalSettings().RemindMergeBatch == 1 ? BST_CHECKED : BST_UNCHECKED);
}

void CMessageMerge::OnClick(TNotifyUI& msg) {
    if (msg.sName == L"checkNotRemind") {
        // Takes effect at once, whatever the dialog's answer.
        ChangeSetting(kRemindMergeBatch, GlobalSettings().RemindMergeBatch == 1 ? 0 : 1);
    } else if (msg.sName == L"btnClose") {
        answered = true;
        merge = IsDlgButtonChecked(L"optMerge") == BST_CHECKED;
        Close();
    }
}
