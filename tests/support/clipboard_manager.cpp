// clipboard_manager: the part of a desktop's clipboard manager that programs
// talk to when they end. It owns CLIPBOARD_MANAGER; asked for SAVE_TARGETS,
// it fetches the clipboard's text (UTF8_STRING) from its owner, takes the
// clipboard over and answers for it from then on. Prints "ready" once it
// owns the manager's selection; runs until killed.

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

namespace {

Display* display = nullptr;
Window window = None;
std::string kept;

Atom Intern(const char* name) { return XInternAtom(display, name, False); }

// The clipboard's text from its owner; false when it gave none in time.
bool FetchClipboardText() {
    const Atom property = Intern("TAVIOCR_KEPT");
    XConvertSelection(display, Intern("CLIPBOARD"), Intern("UTF8_STRING"), property, window,
                      CurrentTime);
    XFlush(display);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    XEvent event;
    while (!XCheckTypedWindowEvent(display, window, SelectionNotify, &event)) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (event.xselection.property == None) return false;
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 1 << 20, True, AnyPropertyType, &type,
                           &format, &count, &after, &data) != Success)
        return false;
    kept.assign(reinterpret_cast<const char*>(data), count);
    XFree(data);
    return true;
}

void Answer(const XSelectionRequestEvent& request, bool ok) {
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.property = ok ? request.property : None;
    reply.xselection.time = request.time;
    XSendEvent(display, request.requestor, False, NoEventMask, &reply);
    XFlush(display);
}

void Serve(const XSelectionRequestEvent& request) {
    const Atom targets = Intern("TARGETS");
    const Atom utf8 = Intern("UTF8_STRING");
    if (request.selection == Intern("CLIPBOARD_MANAGER")) {
        if (request.target == Intern("SAVE_TARGETS")) {
            const bool ok = FetchClipboardText();
            if (ok) XSetSelectionOwner(display, Intern("CLIPBOARD"), window, CurrentTime);
            Answer(request, ok);
        } else if (request.target == targets) {
            const Atom offered[] = {targets, Intern("SAVE_TARGETS")};
            XChangeProperty(display, request.requestor, request.property, XA_ATOM, 32,
                            PropModeReplace, reinterpret_cast<const unsigned char*>(offered), 2);
            Answer(request, true);
        } else {
            Answer(request, false);
        }
        return;
    }
    if (request.target == targets) {
        const Atom offered[] = {targets, utf8};
        XChangeProperty(display, request.requestor, request.property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(offered), 2);
        Answer(request, true);
    } else if (request.target == utf8 || request.target == XA_STRING) {
        XChangeProperty(display, request.requestor, request.property, request.target, 8,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(kept.data()),
                        static_cast<int>(kept.size()));
        Answer(request, true);
    } else {
        Answer(request, false);
    }
}

}  // namespace

int main() {
    display = XOpenDisplay(nullptr);
    if (!display) return 2;
    window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(display, Intern("CLIPBOARD_MANAGER"), window, CurrentTime);
    if (XGetSelectionOwner(display, Intern("CLIPBOARD_MANAGER")) != window) return 2;
    std::printf("ready\n");
    std::fflush(stdout);
    while (true) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == SelectionRequest) Serve(event.xselectionrequest);
    }
}
