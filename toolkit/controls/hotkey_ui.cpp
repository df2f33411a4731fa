#include "toolkit/controls/hotkey_ui.h"

#include <QKeyEvent>

#include "toolkit/paint_manager.h"
#include "toolkit/vk_keys.h"

CHotKeyUI::CHotKeyUI(QWidget* parent, CPaintManagerUI*) : QLineEdit(parent) {
    setReadOnly(true);
    setAlignment(Qt::AlignCenter);
}

void CHotKeyUI::SetHotKey(int virtualKey, int hotKeyFlags) {
    virtualKey_ = virtualKey;
    flags_ = hotKeyFlags;
    setText(HotKeyText(virtualKey, hotKeyFlags));
}

void CHotKeyUI::GetHotKey(int& virtualKey, int& hotKeyFlags) const {
    virtualKey = virtualKey_;
    hotKeyFlags = flags_;
}

void CHotKeyUI::keyPressEvent(QKeyEvent* event) {
    const int vk = QtKeyToVirtualKey(event->key());
    if (vk == 0) {
        event->ignore();  // a modifier alone, or a key a hot key cannot use
        return;
    }
    int flags = 0;
    if (event->modifiers() & Qt::ControlModifier) flags |= HOTKEYF_CONTROL;
    if (event->modifiers() & Qt::AltModifier) flags |= HOTKEYF_ALT;
    if (event->modifiers() & Qt::ShiftModifier) flags |= HOTKEYF_SHIFT;
    const bool functionKey = vk >= 0x70 && vk <= 0x87;
    if (flags == 0 && !functionKey) {
        if (vk == 0x08 || vk == 0x2E) SetHotKey(0, 0);  // Backspace or Delete clears
        event->accept();
        return;
    }
    SetHotKey(vk, flags);
    event->accept();
}
