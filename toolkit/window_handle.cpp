#include "toolkit/window_handle.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <atomic>
#include <map>
#include <mutex>

namespace {

struct WindowRecord {
    MessageTarget* target;
    std::wstring windowClass;
};

struct HandleTable {
    std::mutex mutex;
    std::map<std::uintptr_t, WindowRecord> windows;  // ordered by creation
    std::uintptr_t next = 0x1000;
};

HandleTable& Table() {
    static HandleTable table;
    return table;
}

std::uintptr_t Key(HWND hwnd) { return reinterpret_cast<std::uintptr_t>(hwnd); }

// The target behind a live handle, or null. Used on the UI thread, where a
// window cannot end while its handler runs.
MessageTarget* Lookup(HWND hwnd) {
    HandleTable& table = Table();
    std::lock_guard lock(table.mutex);
    const auto it = table.windows.find(Key(hwnd));
    return it == table.windows.end() ? nullptr : it->second.target;
}

}  // namespace

HWND RegisterWindowHandle(MessageTarget* target, std::wstring_view windowClass) {
    HandleTable& table = Table();
    std::lock_guard lock(table.mutex);
    const std::uintptr_t key = table.next;
    table.next += 4;
    table.windows.emplace(key, WindowRecord{target, std::wstring(windowClass)});
    return reinterpret_cast<HWND>(key);
}

void UnregisterWindowHandle(HWND hwnd) {
    HandleTable& table = Table();
    std::lock_guard lock(table.mutex);
    table.windows.erase(Key(hwnd));
}

bool IsWindow(HWND hwnd) { return hwnd && Lookup(hwnd) != nullptr; }

MessageTarget* LookupWindowTarget(HWND hwnd) { return hwnd ? Lookup(hwnd) : nullptr; }

LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!IsWindow(hwnd)) return 0;
    LRESULT result = 0;
    RunOnUiThread([&] {
        if (MessageTarget* target = Lookup(hwnd))
            result = target->HandleWindowMessage(message, wParam, lParam);
    });
    return result;
}

bool PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || !IsWindow(hwnd)) return false;
    return QMetaObject::invokeMethod(
        app,
        [hwnd, message, wParam, lParam] {
            if (MessageTarget* target = Lookup(hwnd))
                target->HandleWindowMessage(message, wParam, lParam);
        },
        Qt::QueuedConnection);
}

HWND FindWindowByClass(std::wstring_view windowClass) {
    HandleTable& table = Table();
    std::lock_guard lock(table.mutex);
    for (auto it = table.windows.rbegin(); it != table.windows.rend(); ++it)
        if (it->second.windowClass == windowClass) return reinterpret_cast<HWND>(it->first);
    return nullptr;
}

bool IsUiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app && app->thread() == QThread::currentThread();
}

void RunOnUiThread(const std::function<void()>& work) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || IsUiThread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(
        app, [&work] { work(); }, Qt::BlockingQueuedConnection);
}
