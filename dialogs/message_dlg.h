#pragma once

#include <cstdint>
#include <string>

#include "dialogs/skin_dialog.h"

// Result codes of the message box.
inline constexpr int kMessageYes = 6;
inline constexpr int kMessageClose = 7;
inline constexpr int kMessageLeft = 12;

// The general message box: a caption, a text, a logo for its kind and one or
// two buttons (and an optional left button). The caller deletes it after
// reading the result; closing it any way but a button leaves kMessageClose.
class CMessageDlg : public CSkinDialog {
public:
    CMessageDlg() : CSkinDialog(L"dlg_message") {}

    int result = kMessageClose;
    std::wstring message;
    std::wstring caption;
    std::wstring yesText;  // empty: the skin's text
    std::wstring closeText;
    std::wstring leftText;              // empty: no left button
    std::uint32_t colour = 0xFF2244BB;  // kept for callers; the skin draws the colours
    int style = 0;                      // the system message box's bits (0x40, 0x10, 0x20, 4)
    bool showHtml = false;

protected:
    void OnWindowInit() override;
    void OnClick(TNotifyUI& msg) override;
};
