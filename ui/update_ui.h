#pragma once

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
    // The tray icon shows the balloon once the program has one; until then
    // the download runs without it.
    void ShowBalloon(const std::wstring&, const std::wstring&) override {}
    void HideBalloon() override {}
    bool OpenFile(const std::wstring& path) override;

private:
    std::atomic<HWND> owner_{nullptr};
};

// The one display of the process's update check.
WindowUpdateDisplay& MainWindowUpdateDisplay();
