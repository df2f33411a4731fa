#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/message_styles.h"
#include "toolkit/win_types.h"

// Modal message boxes owned by a window. They may be asked for from any
// thread: the box is shown on the UI thread while the caller waits, and the
// result comes back to the caller.

// Shows the text under the caption with the style's logo and buttons; returns
// 6 (yes), 7 (close, also when closed otherwise) or 12 (left button).
int ShowMessageBox(HWND owner, std::wstring_view text, std::wstring_view caption, int style);

// The window as the owner of a dialog while it is on screen; null (the
// dialog is centred on the screen) while it is hidden or minimised.
HWND OwnerIfOnScreen(HWND window);

// The text of a "Message" key under the "Title" caption; an empty text shows
// the fallback instead when one is given (at most 259 characters).
int ShowMessageByKey(std::wstring_view key, HWND owner, int style,
                     std::optional<std::wstring_view> fallback = std::nullopt);

// The same with the key's text used as a format of one text argument; a text
// that does not fit the argument is shown as it stands.
int ShowMessageByKeyFormat(std::wstring_view key, std::wstring_view argument, HWND owner,
                           int style);
