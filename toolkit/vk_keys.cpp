#include "toolkit/vk_keys.h"

#include <QKeySequence>
#include <array>
#include <utility>

namespace {

// Keys outside the letter, digit and function-key runs.
constexpr std::array<std::pair<int, int>, 22> kSpecialKeys{{
    {Qt::Key_Backspace, 0x08}, {Qt::Key_Tab, 0x09},     {Qt::Key_Return, 0x0D},
    {Qt::Key_Enter, 0x0D},     {Qt::Key_Pause, 0x13},   {Qt::Key_CapsLock, 0x14},
    {Qt::Key_Escape, 0x1B},    {Qt::Key_Space, 0x20},   {Qt::Key_PageUp, 0x21},
    {Qt::Key_PageDown, 0x22},  {Qt::Key_End, 0x23},     {Qt::Key_Home, 0x24},
    {Qt::Key_Left, 0x25},      {Qt::Key_Up, 0x26},      {Qt::Key_Right, 0x27},
    {Qt::Key_Down, 0x28},      {Qt::Key_Print, 0x2C},   {Qt::Key_Insert, 0x2D},
    {Qt::Key_Delete, 0x2E},    {Qt::Key_NumLock, 0x90}, {Qt::Key_ScrollLock, 0x91},
    {Qt::Key_Menu, 0x5D},
}};

}  // namespace

int QtKeyToVirtualKey(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return 0x41 + (key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return 0x30 + (key - Qt::Key_0);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 0x70 + (key - Qt::Key_F1);
    for (const auto& [qt, vk] : kSpecialKeys)
        if (qt == key) return vk;
    return 0;
}

int VirtualKeyToQtKey(int vk) {
    if (vk >= 0x41 && vk <= 0x5A) return Qt::Key_A + (vk - 0x41);
    if (vk >= 0x30 && vk <= 0x39) return Qt::Key_0 + (vk - 0x30);
    if (vk >= 0x70 && vk <= 0x87) return Qt::Key_F1 + (vk - 0x70);
    for (const auto& [qt, code] : kSpecialKeys)
        if (code == vk) return qt;
    return Qt::Key_unknown;
}

QString HotKeyText(int virtualKey, int flags) {
    const int key = VirtualKeyToQtKey(virtualKey);
    if (key == Qt::Key_unknown) return {};
    int combination = key;
    if (flags & HOTKEYF_CONTROL) combination |= Qt::CTRL;
    if (flags & HOTKEYF_ALT) combination |= Qt::ALT;
    if (flags & HOTKEYF_SHIFT) combination |= Qt::SHIFT;
    return QKeySequence(combination).toString(QKeySequence::NativeText);
}
