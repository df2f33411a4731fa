#include "key_holder.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

KeyHolder::KeyHolder() : display_(XOpenDisplay(nullptr)) {
    if (!display_) return;
    XGrabKey(display_, XKeysymToKeycode(display_, XK_F4), 0, DefaultRootWindow(display_), True,
             GrabModeAsync, GrabModeAsync);
    XSync(display_, False);
}

KeyHolder::~KeyHolder() {
    if (display_) XCloseDisplay(display_);  // the server lets the grab go with it
}
