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
    // An information box whose text takes one argument.
    virtual void ShowMessageWith(std::wstring_view key, std::wstring_view argument) = 0;
    // The tray balloon while a manual download runs (nothing without a tray).
    virtual void ShowBalloon(const std::wstring& title, const std::wstring& text) = 0;
    virtual void HideBalloon() = 0;
    // A check the user asked for is under way: the program looks busy.
    virtual void ShowBusy(bool busy) = 0;
    // Hands a package to the desktop's package installer; true when one took it.
    virtual bool StartInstaller(const std::wstring& path) = 0;
    // The installer replaces the program: the window closes and the program ends.
    virtual void EndProgram() = 0;
};
