#pragma once

#include <QPixmap>
#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/notify.h"

class QWidget;
class CDPI;

// Process-wide skin resources and, per window, its controls and notifications.
//
// Layouts, images and the style sheet come from one resource package (a
// password-protected zip in the resource folder), or straight from the
// resource folder when no package is set. Entry names are relative to the
// package root; leading "../" parts of a name are dropped, so a layout may
// name an image relative to its own folder.
class CPaintManagerUI {
public:
    CPaintManagerUI();
    ~CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    // The program folder; GetInstancePath ends in "/".
    static void SetInstance(std::wstring_view programFolder);
    static std::wstring GetInstancePath();
    static void SetSkinFileExtension(std::wstring_view extension);
    static std::wstring GetSkinFileExtension();
    static void SetResourcePath(std::wstring_view folder);
    static std::wstring GetResourcePath();
    // The package file (relative to the resource path) and its password.
    // Uncached packages are read from disk at every load, so a replaced
    // package takes effect at once; cached ones keep what they read.
    static void SetResourceZip(std::wstring_view packageName, std::wstring_view password,
                               bool cached);
    static std::wstring GetResourceZip();
    // Forgets loaded resources and re-styles every open window from the package.
    static void ReloadSkin();

    // One entry's bytes, or nothing when it is missing or unreadable.
    static std::optional<std::string> LoadResource(std::string_view entry);
    // An image entry drawn for a device-pixel ratio: SVG is rendered at that
    // ratio, a PNG prefers its "@2x" sibling above ratio 1. Null when missing.
    static QPixmap LoadImage(std::string_view entry, qreal devicePixelRatio);
    // The package style sheet, "style.qss".
    static QString StyleSheet();

    // Runs the UI thread's loop until PostQuitMessage.
    static int MessageLoop();
    static void PostQuitMessage(int exitCode);

    // Per window: the window widget and the root of its layout.
    void Init(QWidget* window);
    QWidget* GetPaintWindow() const { return window_; }
    void SetWindowHandle(HWND hwnd) { hwnd_ = hwnd; }
    HWND GetWindowHandle() const { return hwnd_; }
    // Every paint manager with a window, oldest first.
    static std::vector<CPaintManagerUI*> Windows();
    void AttachRoot(QWidget* root);
    QWidget* GetRoot() const { return root_; }

    // The control of that skin name in this window, or null.
    CControlUI* FindControl(std::wstring_view name) const;
    template <typename T>
    T* FindControl(std::wstring_view name) const {
        return dynamic_cast<T*>(FindControl(name));
    }
    // The control of that name inside parent (a list row, a page), or null.
    static CControlUI* FindSubControlByName(CControlUI* parent, std::wstring_view name);

    void AddNotifier(INotifyUI* notifier);
    void RemoveNotifier(INotifyUI* notifier);
    void SendNotify(CControlUI* control, std::wstring_view type, WPARAM wParam = 0,
                    LPARAM lParam = 0);

    // Each control's accessible name becomes its current text, else its skin name.
    void UpdateAccessibleNames();

    CDPI* GetDPIObj();

private:
    QWidget* window_ = nullptr;
    HWND hwnd_ = nullptr;
    QWidget* root_ = nullptr;
    std::vector<INotifyUI*> notifiers_;
    CDPI* dpi_ = nullptr;
};

// The accessible name rule for one control.
void UpdateAccessibleName(QWidget* control);
