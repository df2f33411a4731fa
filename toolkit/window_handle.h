#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "toolkit/win_types.h"

// Window handles and window messages between threads.
//
// Every window lives on the UI thread. A handle names a live window; it is
// never reused, so a handle kept after its window ended simply stops
// answering. Sending runs the window's handler on the UI thread and waits for
// its result (directly when the caller is already there); posting queues the
// message and returns at once. Both look the handle up again on the UI thread,
// so a window that ends while a message is on its way never receives it.

class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    virtual LRESULT HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

// Makes a new handle for a target, recording the window class it belongs to.
HWND RegisterWindowHandle(MessageTarget* target, std::wstring_view windowClass);
// Ends the handle: later sends return 0, posts are dropped, IsWindow is false.
void UnregisterWindowHandle(HWND hwnd);

bool IsWindow(HWND hwnd);
// The target behind a live handle, or null; only on the UI thread.
MessageTarget* LookupWindowTarget(HWND hwnd);
LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
bool PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The most recently created live window of this class in this process, or null.
HWND FindWindowByClass(std::wstring_view windowClass);

// Runs work on the UI thread and waits for it; directly when already there.
// The UI thread is the thread that owns the application object.
void RunOnUiThread(const std::function<void()>& work);
bool IsUiThread();
