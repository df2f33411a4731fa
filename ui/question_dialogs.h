#pragma once

#include "dialogs/skin_dialog.h"

// After a copy to the clipboard; "NotRemind" turns the reminder off.
// Deletes itself when its window ends.
class CMessageCopyDlg : public CSkinDialog {
public:
    CMessageCopyDlg() : CSkinDialog(L"dlg_message_copy") {}

protected:
    void OnClick(TNotifyUI& msg) override;
    void OnFinalMessage(HWND) override { delete this; }
};

// Closing the main window: hide it or exit, optionally without asking again.
class CMessageExitDlg : public CSkinDialog {
public:
    CMessageExitDlg() : CSkinDialog(L"dlg_message_exit") {}
    bool cancelled = true;

protected:
    void OnWindowInit() override;
    void OnClick(TNotifyUI& msg) override;
};

// A batch: merge the texts into one or keep one file per picture.
class CMessageMerge : public CSkinDialog {
public:
    CMessageMerge() : CSkinDialog(L"dlg_message_merge") {}
    bool answered = false;  // closed with its button; ✕ or Escape cancel the batch
    bool merge = false;

protected:
    void OnWindowInit() override;
    void OnClick(TNotifyUI& msg) override;
};
