#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "recognition/recognition_interfaces.h"
#include "toolkit/win_types.h"

// Messages of the recognition worker, owned by the main window. Once that
// window is gone they are answered "close" unseen: a box about a batch nobody
// watches any more would hold the closing program open until clicked.
class WindowMessageDisplay : public MessageDisplay {
public:
    explicit WindowMessageDisplay(HWND owner) : owner_(owner) {}
    int ShowMessageByKey(std::wstring_view key, int style,
                         std::optional<std::wstring> fallback) override;
    int ShowMessageByKeyFormat(std::wstring_view key, std::wstring_view argument,
                               int style) override;

private:
    bool OwnerGone() const;

    HWND owner_;
};
