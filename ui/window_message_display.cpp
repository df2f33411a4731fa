#include "ui/window_message_display.h"

#include "dialogs/message_box.h"
#include "dialogs/message_dlg.h"
#include "toolkit/window_handle.h"

bool WindowMessageDisplay::OwnerGone() const { return owner_ && !IsWindow(owner_); }

int WindowMessageDisplay::ShowMessageByKey(std::wstring_view key, int style,
                                           std::optional<std::wstring> fallback) {
    if (OwnerGone()) return kMessageClose;
    return ::ShowMessageByKey(
        key, owner_, style, fallback ? std::optional<std::wstring_view>(*fallback) : std::nullopt);
}

int WindowMessageDisplay::ShowMessageByKeyFormat(std::wstring_view key, std::wstring_view argument,
                                                 int style) {
    if (OwnerGone()) return kMessageClose;
    return ::ShowMessageByKeyFormat(key, argument, owner_, style);
}
