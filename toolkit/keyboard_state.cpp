#include "toolkit/keyboard_state.h"

#include <QGuiApplication>

#include "toolkit/vk_keys.h"

// Xlib's macros (Status, Bool) clash with Qt's headers: it comes last.
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {

std::function<bool(int)>& Override() {
    static std::function<bool(int)> state;
    return state;
}

// Qt keys and X key symbols agree for the keys a hot key or a held key can be.
KeySym KeySymFor(int virtualKey) {
    if (virtualKey == VK_TAB) return XK_Tab;
    const int key = VirtualKeyToQtKey(virtualKey);
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return XK_a + (key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return XK_0 + (key - Qt::Key_0);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return XK_F1 + (key - Qt::Key_F1);
    return NoSymbol;
}

}  // namespace

void SetKeyboardStateForTest(std::function<bool(int)> state) { Override() = std::move(state); }

bool IsKeyDown(int virtualKey) {
    if (Override()) return Override()(virtualKey);
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    const KeySym symbol = KeySymFor(virtualKey);
    if (!display || symbol == NoSymbol) return false;
    const KeyCode code = XKeysymToKeycode(display, symbol);
    if (code == 0) return false;
    char keys[32] = {};
    XQueryKeymap(display, keys);
    return (keys[code / 8] >> (code % 8)) & 1;
}
