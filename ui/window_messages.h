#pragma once

#include "toolkit/win_types.h"

// Messages the main window receives besides the toolkit's own.
inline constexpr UINT WM_OCR_RESULT = WM_USER + 6;    // wParam: OcrResult* or 0; lParam: image path
inline constexpr UINT WM_CAPTURE_DONE = WM_USER + 7;  // a screen region was saved
inline constexpr UINT WM_LOGIN_STATE = WM_USER + 8;   // wParam 1 signed in, 0 not
// lParam of WM_LOGIN_STATE: the server refused the stored sign-in; forget it.
inline constexpr LPARAM kForgetSignIn = 1;
inline constexpr UINT WM_TWAIN_EVENT = WM_USER + 9;  // the scanner has something to say
inline constexpr UINT WM_TRAY_NOTIFY = 2708;         // lParam: the mouse message

// The main window's class, by which a second start finds it.
inline constexpr wchar_t kMainWindowClass[] = L"TaviOCRWindowClass";
