#pragma once

#include <cstdint>
#include <functional>
#include <memory>

// The capture key that works in every program: one X11 implementation (a key
// grab on the root window) and a null one where there is no X11. The key is
// kept in the Windows form the settings store: the virtual-key code in the
// high word, the modifier flags (Alt 1, Ctrl 2, Shift 4, Win 8) in the low one.
class GlobalHotKey {
public:
    virtual ~GlobalHotKey() = default;
    // Replaces the key; 0 registers none. False when the key is taken by
    // another program (written to the log once) or cannot be had here.
    virtual bool Register(std::uint32_t hotKeyWord, std::function<void()> pressed) = 0;
    virtual void Unregister() = 0;
    // The last Register failed because another program holds the key (not
    // because there is no X11 here).
    virtual bool Taken() const = 0;
};

std::unique_ptr<GlobalHotKey> SystemHotKey();

// The X key symbol of a virtual-key code; 0 for keys that have none here.
std::uint32_t KeySymForVirtualKey(int virtualKey);
