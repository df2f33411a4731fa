// xdnd_drag_source X Y URI...: drops the URIs (as text/uri-list, the way file
// managers drag files) on the window under the root position X Y, speaking
// the XDND protocol itself: enter, position, drop, then the data on request.
// Exit status 0 when the target accepted and finished the drop, 1 when it
// refused it, 2 on any other failure.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

Display* display = nullptr;

Atom Intern(const char* name) { return XInternAtom(display, name, False); }

// The XdndAware window at the position: walks down from the root.
Window FindTarget(int x, int y) {
    const Atom aware = Intern("XdndAware");
    Window root = DefaultRootWindow(display), current = root;
    while (true) {
        Atom type;
        int format;
        unsigned long count, after;
        unsigned char* data = nullptr;
        if (current != root &&
            XGetWindowProperty(display, current, aware, 0, 1, False, AnyPropertyType, &type,
                               &format, &count, &after, &data) == Success &&
            type != None) {
            XFree(data);
            return current;
        }
        if (data) XFree(data);
        int localX, localY;
        Window child = None;
        if (!XTranslateCoordinates(display, root, current, x, y, &localX, &localY, &child) ||
            child == None)
            return None;
        current = child;
    }
}

void Send(Window target, Window source, const char* type, long l1, long l2, long l3, long l4) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = target;
    event.xclient.message_type = Intern(type);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(source);
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[3] = l3;
    event.xclient.data.l[4] = l4;
    XSendEvent(display, target, False, NoEventMask, &event);
    XFlush(display);
}

// The next event, or false after the deadline.
bool NextEvent(XEvent& event, std::chrono::steady_clock::time_point deadline) {
    while (!XPending(display)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left.count()));
    }
    XNextEvent(display, &event);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    display = XOpenDisplay(nullptr);
    if (!display) return 2;
    const int x = std::atoi(argv[1]), y = std::atoi(argv[2]);
    std::string uris;
    for (int i = 3; i < argc; ++i) uris += std::string(argv[i]) + "\r\n";

    const Window source =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    const Atom selection = Intern("XdndSelection"), uriList = Intern("text/uri-list");
    XSetSelectionOwner(display, selection, source, CurrentTime);
    const Window target = FindTarget(x, y);
    if (target == None) return 2;

    constexpr long kVersion = 5;
    Send(target, source, "XdndEnter", kVersion << 24, static_cast<long>(uriList), 0, 0);
    Send(target, source, "XdndPosition", 0, (x << 16) | y, CurrentTime,
         static_cast<long>(Intern("XdndActionCopy")));

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool dropped = false;
    XEvent event;
    while (NextEvent(event, deadline)) {
        if (event.type == ClientMessage && event.xclient.message_type == Intern("XdndStatus")) {
            if (dropped) continue;
            if (!(event.xclient.data.l[1] & 1)) {
                Send(target, source, "XdndLeave", 0, 0, 0, 0);
                return 1;
            }
            Send(target, source, "XdndDrop", 0, CurrentTime, 0, 0);
            dropped = true;
        } else if (event.type == SelectionRequest) {
            const XSelectionRequestEvent& request = event.xselectionrequest;
            XEvent reply{};
            reply.xselection.type = SelectionNotify;
            reply.xselection.requestor = request.requestor;
            reply.xselection.selection = request.selection;
            reply.xselection.target = request.target;
            reply.xselection.time = request.time;
            reply.xselection.property = None;
            if (request.target == uriList) {
                XChangeProperty(display, request.requestor, request.property, uriList, 8,
                                PropModeReplace,
                                reinterpret_cast<const unsigned char*>(uris.data()),
                                static_cast<int>(uris.size()));
                reply.xselection.property = request.property;
            }
            XSendEvent(display, request.requestor, False, NoEventMask, &reply);
            XFlush(display);
        } else if (event.type == ClientMessage &&
                   event.xclient.message_type == Intern("XdndFinished")) {
            // Version 5 says whether the drop was taken.
            return (event.xclient.data.l[1] & 1) ? 0 : 1;
        }
    }
    return 2;
}
