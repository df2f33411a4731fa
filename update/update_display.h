#pragma once

#include <string>
#include <string_view>

// What an update check shows and does on the desktop, through the window
// layer: called from the update worker, each call returns once done.
class UpdateDisplay {
public:
    virtual ~UpdateDisplay() = default;
    // A message box by language key; true when a question was answered yes.
    virtual bool ShowMessage(std::wstring_view key, int style) = 0;
    // The tray balloon while a manual download runs (nothing without a tray).
    virtual void ShowBalloon(const std::wstring& title, const std::wstring& text) = 0;
    virtual void HideBalloon() = 0;
    // Hands a file to the desktop's opener (the installer is run this way).
    virtual bool OpenFile(const std::wstring& path) = 0;
};
