#pragma once

#include <QPointer>
#include <QSystemTrayIcon>
#include <atomic>

#include "toolkit/win_types.h"
#include "update/update_display.h"

// The update check's boxes over the main window, or centred on the screen
// while the window is hidden; none at all once the window has gone.
class WindowUpdateDisplay : public UpdateDisplay {
public:
    // The window the boxes belong to; null once it has gone (a check still
    // running then shows nothing and never waits for the window's thread).
    void SetOwner(HWND owner) { owner_ = owner; }
    bool ShowMessage(std::wstring_view key, int style) override;
    // The balloon comes from the tray icon; without a tray the download runs
    // without one.
    void SetTray(QSystemTrayIcon* tray) { tray_ = tray; }
    void ShowBalloon(const std::wstring& title, const std::wstring& text) override;
    void HideBalloon() override {}  // the desktop takes a balloon away by itself
    void ShowMessageWith(std::wstring_view key, std::wstring_view argument) override;
    // The busy pointer over the whole program.
    void ShowBusy(bool busy) override;
    // xdg-open with the package: true when it opened it or is still busy
    // opening it after a few seconds (a desktop installer it started).
    bool StartInstaller(const std::wstring& path) override;
    void EndProgram() override;

private:
    std::atomic<HWND> owner_{nullptr};
    bool busy_ = false;  // on the window's thread
    QPointer<QSystemTrayIcon> tray_;
};

// The one display of the process's update check.
WindowUpdateDisplay& MainWindowUpdateDisplay();
