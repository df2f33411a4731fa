#pragma once

#include <string>
#include <utility>
#include <vector>

#include "support/temp_environment.h"
#include "toolkit/skin_manager.h"
#include "toolkit/skin_package.h"
#include "toolkit/window_impl_base.h"

// A test skin package in the temporary folder, made the toolkit's resources.
class SkinTest : public TempEnvironment {
protected:
    void SetUp() override;
    void TearDown() override;
    void UsePackage(const std::vector<SkinEntry>& entries);
    void SetLanguage(LanguageEntries entries);

    LanguageEntries language_;
};

// Qt Designer XML around the given widgets of a root with a vertical layout.
std::string Layout(const std::string& widgets, int width = 300, int height = 200,
                   const std::string& rootProperties = "");
std::string Widget(const std::string& cls, const std::string& name,
                   const std::string& properties = "");
std::string PngOfColour(unsigned rgb, int width = 8, int height = 8);

// A window that records what reaches it.
class RecordingWindow : public WindowImplBase {
public:
    explicit RecordingWindow(std::wstring layout = L"window.xml") : layout_(std::move(layout)) {}
    std::wstring GetWindowClassName() const override { return L"RecordingWindowClass"; }
    std::wstring GetSkinFile() override { return layout_; }

    std::vector<std::wstring> notifications;  // "type:name"
    std::vector<UINT> messages;
    std::vector<UINT> timers;
    int finalMessages = 0;
    bool foundControlAtInit = false;
    bool vetoClose = false;

    CPaintManagerUI& Pm() { return m_pm; }
    using WindowImplBase::DestroyWindow;

protected:
    void Notify(TNotifyUI& msg) override;
    void OnClick(TNotifyUI& msg) override;
    void OnTimer(UINT id) override { timers.push_back(id); }
    LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void OnFinalMessage(HWND) override { ++finalMessages; }

private:
    std::wstring layout_;
};
