#pragma once

#include <string_view>

#include "toolkit/win_types.h"

// Opens an address with the desktop's handler for it; when none takes it, a
// web browser is started with it. False when neither could be started.
bool OpenUrl(std::wstring_view address, HWND owner);
