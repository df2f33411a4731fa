#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "capture/global_hot_key.h"

// Whether the desktop portal binds global shortcuts here
// (org.freedesktop.portal.GlobalShortcuts; KDE Plasma, some wlroots desktops).
bool PortalGlobalShortcutsAvailable();

// The capture key through that portal, as a Wayland session allows one: a
// session of shortcuts, the "capture" one bound with the key as its
// preferred trigger (the desktop may ask the user, or pick another), and
// its Activated signal as the key press. Nothing here waits: the answers
// come on the event loop.
std::unique_ptr<GlobalHotKey> PortalHotKey();

// The portal's spelling of a key in the settings' form: "CTRL+ALT+a", "F4".
std::string PortalTrigger(std::uint32_t hotKeyWord);
