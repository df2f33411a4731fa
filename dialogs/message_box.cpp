#include "dialogs/message_box.h"

#include <QWidget>

#include "app/lang_format.h"
#include "app/language_file.h"
#include "dialogs/message_dlg.h"
#include "toolkit/window_handle.h"
#include "toolkit/window_impl_base.h"

int ShowMessageBox(HWND owner, std::wstring_view text, std::wstring_view caption, int style) {
    int result = kMessageClose;
    RunOnUiThread([&] {
        CMessageDlg dialog;
        dialog.colour = 0xFF2244BB;
        dialog.showHtml = false;
        dialog.message = text;
        dialog.caption = caption;
        dialog.style = style;
        dialog.RunModal(IsWindow(owner) ? owner : nullptr);
        result = dialog.result;
    });
    return result;
}

HWND OwnerIfOnScreen(HWND window) {
    const WindowImplBase* base = WindowImplBase::FromHandle(window);
    const QWidget* widget = base ? base->GetWidget() : nullptr;
    return widget && widget->isVisible() && !widget->isMinimized() ? window : nullptr;
}

int ShowMessageByKey(std::wstring_view key, HWND owner, int style,
                     std::optional<std::wstring_view> fallback) {
    const std::wstring caption = LangMessage(L"Title");
    std::wstring text = LangMessage(key);
    if (text.empty() && fallback) text = std::wstring(fallback->substr(0, kLangTextCapacity - 1));
    return ShowMessageBox(owner, text, caption, style);
}

int ShowMessageByKeyFormat(std::wstring_view key, std::wstring_view argument, HWND owner,
                           int style) {
    const std::wstring caption = LangMessage(L"Title");
    const std::wstring format = LangMessage(key);
    return ShowMessageBox(owner, FormatLangText(format, std::wstring(argument)), caption, style);
}
