#pragma once

#include <xcb/xcb.h>

// Which desktop services fit this session. TAVIOCR_DESKTOP=none forces the
// null services (for sessions the program does not know). A Wayland session
// is not X11 even when the program reaches an X server through XWayland:
// there it would see none of the other programs' windows and, depending on
// the compositor, only black pixels.
enum class DesktopSession { X11, Wayland, None };
DesktopSession CurrentDesktopSession();

// The X connection when the session is X11, else null.
xcb_connection_t* X11SessionConnection();
