#pragma once

#include "dialogs/skin_dialog.h"

// Version and machine identifier; its site button opens the site it names.
// Deletes itself when its window ends.
class CAboutDlg : public CSkinDialog {
public:
    CAboutDlg() : CSkinDialog(L"dlg_about") {}

protected:
    void OnWindowInit() override;
    void OnClick(TNotifyUI& msg) override;
    void OnFinalMessage(HWND) override { delete this; }
};

// Shown while scanned pictures are copied; at most one at a time, found by its
// window class. Deletes itself when its window ends.
class CCopyingHintDlg : public CSkinDialog {
public:
    CCopyingHintDlg() : CSkinDialog(L"dlg_copyingimage") {}
    std::wstring GetWindowClassName() const override { return std::wstring(kWindowClass); }
    static constexpr std::wstring_view kWindowClass = L"TaviOCRCopyDialogClass";

    // Shows the hint owned by owner unless one is already open.
    static void ShowOnce(HWND owner);
    // Closes the open hint, if any.
    static void CloseOpen();

protected:
    void OnClick(TNotifyUI& msg) override;
    void OnFinalMessage(HWND) override { delete this; }
};
