#pragma once

#include <QString>

// Windows virtual-key codes, which stored hot keys keep, and Qt keys.

// 0 when the key has no virtual-key code here.
int QtKeyToVirtualKey(int qtKey);
// 0 (Qt::Key_unknown) for codes without a Qt key.
int VirtualKeyToQtKey(int virtualKey);

// Hot-key control modifier flags.
inline constexpr int HOTKEYF_SHIFT = 0x01;
inline constexpr int HOTKEYF_CONTROL = 0x02;
inline constexpr int HOTKEYF_ALT = 0x04;
inline constexpr int HOTKEYF_EXT = 0x08;

// "Ctrl+Alt+F4": the readable form of a virtual key with hot-key flags.
QString HotKeyText(int virtualKey, int hotKeyFlags);
