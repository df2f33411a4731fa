#pragma once

#include <functional>

#include "app/settings.h"
#include "dialogs/skin_dialog.h"

// The preferences: most are written the moment they are clicked; the save
// folder, the hot key and the size limit only when "btnClose" takes them
// over (any other close discards those three).
class CSettingDlg : public CSkinDialog {
public:
    // registerHotKey puts a capture key in force on the main window (false
    // when another program holds it); keyTaken: the stored key is held so now.
    explicit CSettingDlg(std::function<bool(HotKeyWord)> registerHotKey, bool keyTaken = false)
        : CSkinDialog(L"dlg_setting"),
          registerHotKey_(std::move(registerHotKey)),
          keyTaken_(keyTaken) {}

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
    // The note beside the key that another program holds it.
    void ShowKeyTaken(bool taken);

    std::function<bool(HotKeyWord)> registerHotKey_;
    bool keyTaken_;
};

// Runs the dialog over the main window, or centred on the screen while the
// window is hidden or minimised.
void RunSettingDialog(HWND mainWindow, std::function<bool(HotKeyWord)> registerHotKey,
                      bool keyTaken);
