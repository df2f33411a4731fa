#pragma once

#include <string>
#include <string_view>

#include "toolkit/win_types.h"

// Opens an address with the desktop's handler for it; when none takes it, a
// web browser is started with it. False when neither could be started.
bool OpenUrl(std::wstring_view address, HWND owner);

// Shows the file selected in the desktop's file manager; without one that
// answers, the folder that holds it is opened.
void RevealInFileManager(const std::wstring& path);
// Opens a file with the desktop's program for its type.
void OpenWithDefaultApp(const std::wstring& path);
// The same, waiting a few seconds for the opener's verdict (blocks the
// calling thread): false when it could not be started or refused the file.
bool OpenWithDefaultAppAndWait(const std::wstring& path);
