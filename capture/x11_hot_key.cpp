// The global hot key on X11: XGrabKey on the root window (through xcb), with
// and without NumLock and CapsLock, seen by a native event filter.

#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <vector>

#include "app/diagnostics.h"
#include "capture/desktop_session.h"
#include "capture/global_hot_key.h"
#include "capture/portal_hot_key.h"

namespace {

constexpr std::uint16_t kModAlt = 1, kModControl = 2, kModShift = 4, kModWin = 8;
// Lock (CapsLock) and Mod2 (NumLock) must never keep the key from working.
constexpr std::uint16_t kIgnoredMasks[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                           XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};

std::uint16_t XModifiers(std::uint16_t flags) {
    std::uint16_t mask = 0;
    if (flags & kModAlt) mask |= XCB_MOD_MASK_1;
    if (flags & kModControl) mask |= XCB_MOD_MASK_CONTROL;
    if (flags & kModShift) mask |= XCB_MOD_MASK_SHIFT;
    if (flags & kModWin) mask |= XCB_MOD_MASK_4;
    return mask;
}

class X11HotKey : public GlobalHotKey, public QAbstractNativeEventFilter {
public:
    explicit X11HotKey(xcb_connection_t* connection)
        : connection_(connection),
          root_(xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root) {
        qGuiApp->installNativeEventFilter(this);
    }
    ~X11HotKey() override {
        Unregister();
        if (qGuiApp) qGuiApp->removeNativeEventFilter(this);
    }

    bool Register(std::uint32_t word, std::function<void()> pressed) override {
        Unregister();
        taken_ = false;
        if (word == 0) return true;
        const std::uint32_t keysym = KeySymForVirtualKey(static_cast<int>(word >> 16));
        const xcb_keycode_t keycode = KeyCodeFor(keysym);
        if (!keycode) return false;
        modifiers_ = XModifiers(static_cast<std::uint16_t>(word & 0xFFFF));
        bool taken = false;
        for (const std::uint16_t ignored : kIgnoredMasks) {
            xcb_generic_error_t* error = xcb_request_check(
                connection_,
                xcb_grab_key_checked(connection_, 1, root_, modifiers_ | ignored, keycode,
                                     XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
            taken = taken || error;
            free(error);
        }
        keycode_ = keycode;
        pressed_ = std::move(pressed);
        if (taken) {
            // Another program holds the combination: say so once, not silently.
            if (!reportedTaken_)
                WriteLog(L"The capture hot key %08X is taken by another program", word);
            reportedTaken_ = true;
            taken_ = true;
            Unregister();
            return false;
        }
        return true;
    }

    void Unregister() override {
        if (!keycode_) return;
        for (const std::uint16_t ignored : kIgnoredMasks)
            xcb_ungrab_key(connection_, keycode_, root_, modifiers_ | ignored);
        xcb_flush(connection_);
        keycode_ = 0;
        pressed_ = nullptr;
    }

    bool Taken() const override { return taken_; }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t" || !keycode_) return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7F) != XCB_KEY_PRESS) return false;
        const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
        const std::uint16_t state = key->state & ~(XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2) & 0xFF;
        if (key->detail != keycode_ || state != modifiers_ || key->event != root_) return false;
        if (pressed_) pressed_();
        return true;
    }

private:
    xcb_keycode_t KeyCodeFor(std::uint32_t keysym) {
        if (!keysym) return 0;
        const xcb_setup_t* setup = xcb_get_setup(connection_);
        const int count = setup->max_keycode - setup->min_keycode + 1;
        auto* mapping = xcb_get_keyboard_mapping_reply(
            connection_,
            xcb_get_keyboard_mapping(connection_, setup->min_keycode,
                                     static_cast<std::uint8_t>(count)),
            nullptr);
        if (!mapping) return 0;
        const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(mapping);
        const int perCode = mapping->keysyms_per_keycode;
        xcb_keycode_t found = 0;
        for (int code = 0; code < count && !found; ++code)
            for (int i = 0; i < perCode; ++i)
                if (symbols[code * perCode + i] == keysym) {
                    found = static_cast<xcb_keycode_t>(setup->min_keycode + code);
                    break;
                }
        free(mapping);
        return found;
    }

    xcb_connection_t* connection_;
    xcb_window_t root_;
    xcb_keycode_t keycode_ = 0;
    std::uint16_t modifiers_ = 0;

    std::function<void()> pressed_;
    bool reportedTaken_ = false;
    bool taken_ = false;
};

class NullHotKey : public GlobalHotKey {
public:
    bool Register(std::uint32_t word, std::function<void()>) override { return word == 0; }
    void Unregister() override {}
    bool Taken() const override { return false; }
};

}  // namespace

std::uint32_t KeySymForVirtualKey(int vk) {
    if (vk >= 0x70 && vk <= 0x87) return 0xFFBE + static_cast<std::uint32_t>(vk - 0x70);  // F1..F24
    if (vk >= 0x30 && vk <= 0x39) return static_cast<std::uint32_t>(vk);                  // digits
    if (vk >= 0x41 && vk <= 0x5A) return static_cast<std::uint32_t>(vk + 0x20);           // a..z
    switch (vk) {
        case 0x20:
            return 0x0020;  // space
        case 0x2C:
            return 0xFF61;  // Print
        case 0x2D:
            return 0xFF63;  // Insert
        case 0x2E:
            return 0xFFFF;  // Delete
        case 0x24:
            return 0xFF50;  // Home
        case 0x23:
            return 0xFF57;  // End
        case 0x21:
            return 0xFF55;  // Page Up
        case 0x22:
            return 0xFF56;  // Page Down
        case 0x25:
            return 0xFF51;  // Left
        case 0x26:
            return 0xFF52;  // Up
        case 0x27:
            return 0xFF53;  // Right
        case 0x28:
            return 0xFF54;  // Down
        case 0x13:
            return 0xFF13;  // Pause
        default:
            return 0;
    }
}

std::unique_ptr<GlobalHotKey> SystemHotKey() {
    xcb_connection_t* x11 = X11SessionConnection();
    // Wayland lets a program have a global key only through the portal.
    if (!x11 && CurrentDesktopSession() == DesktopSession::Wayland &&
        PortalGlobalShortcutsAvailable())
        return PortalHotKey();
    if (!x11) return std::make_unique<NullHotKey>();
    return std::make_unique<X11HotKey>(x11);
}
