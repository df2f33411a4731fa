#pragma once

#include <string>
#include <string_view>

#include "toolkit/skin_manager.h"
#include "toolkit/window_impl_base.h"

// The program's one top-level window: its pages, caption buttons and the
// signed-in area, and the target of interface text reloads. The object
// deletes itself when its window ends, which ends the message loop.
class CMainFrame : public WindowImplBase, public IReloadControlText {
public:
    std::wstring GetWindowClassName() const override;
    std::wstring GetSkinFile() override { return L"skin.xml"; }

    void ReloadControlText(std::wstring_view control, std::wstring_view text, int kind) override;
    CPaintManagerUI& PaintManager() { return m_pm; }

    // The live main window of this process, or null.
    static CMainFrame* Instance();

protected:
    void Notify(TNotifyUI& msg) override;
    void OnClick(TNotifyUI& msg) override;
    LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void OnFinalMessage(HWND hwnd) override;

private:
    void ShowSignedInState(bool signedIn);
    void ToggleMaximized();
    bool closing_ = false;
};

// After a language switch: the resource package of the new language, its
// fonts and layout texts, a redraw, then WM_LOGIN_STATE to redraw the
// signed-in area. Nothing happens without a main window.
void ReloadInterfaceTexts();

// The layout files whose texts a language switch reloads, in reload order.
inline constexpr std::wstring_view kReloadedLayouts[] = {L"skin.xml", L"homepage.xml", L"picocrpage.xml",
                                                         L"resultokpage.xml", L"resultpage.xml"};
