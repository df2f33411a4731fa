#pragma once

// Message-box styles, the same bits as the system message box: the window
// shows them as dialogs, the command line as texts.
inline constexpr int kStyleError = 0x10;
inline constexpr int kStyleWarning = 0x20;
inline constexpr int kStyleInformation = 0x40;
inline constexpr int kStyleTwoButtons = 4;
