#pragma once

#include <functional>

#include "app/settings.h"
#include "dialogs/skin_dialog.h"

// The preferences: most are written the moment they are clicked; the save
// folder, the hot key and the size limit only when "btnClose" takes them
// over (any other close discards those three).
class CSettingDlg : public CSkinDialog {
public:
    // registerHotKey puts a new capture key in force on the main window.
    explicit CSettingDlg(std::function<bool(HotKeyWord)> registerHotKey)
        : CSkinDialog(L"dlg_setting"), registerHotKey_(std::move(registerHotKey)) {}

    // The recognition language options, stored OCRLanguage 0 to 9.
    static constexpr int kOcrLanguages = 10;
    static constexpr int kMaxSizes[3] = {1024, 2048, 4096};

protected:
    void OnWindowInit() override;
    void OnClick(TNotifyUI& msg) override;

private:
    void TakeOverAndClose();
    void OnMaxSizeSelected(int item);
    void OnLanguageSelected(int item);

    std::function<bool(HotKeyWord)> registerHotKey_;
};

// Runs the dialog over the main window, or centred on the screen while the
// window is hidden or minimised.
void RunSettingDialog(HWND mainWindow, std::function<bool(HotKeyWord)> registerHotKey);
