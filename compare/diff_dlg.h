#pragma once

#include <string>

#include "dialogs/skin_dialog.h"

class CWkeWebkitUI;

// Proofreading: the picture in a web view (zoom, rotate) beside its editable
// text. Closed with its own close button it keeps the edited text; closed any
// other way it keeps the text it was given.
class CDiffDlg : public CSkinDialog {
public:
    CDiffDlg(std::wstring imagePath, std::wstring text);

    const std::wstring& Text() const { return text_; }
    float ZoomFactor() const { return zoom_; }
    CWkeWebkitUI* WebControl() const { return web_; }
    // Lowest zoom handed to the engine: a factor of zero or less would blank the view.
    static constexpr float kMinZoom = 0.1f;

protected:
    void InitWindow() override;
    void OnWindowInit() override;
    void OnClick(TNotifyUI& msg) override;
    LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    // Every way of closing (Alt+F4, the desktop's close, Escape, the close
    // button) keeps the corrections: none of them is a way to throw edits away.
    LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    // Escape keeps the corrections, as the close button does.
    void OnEscapeKey() override;

private:
    void ApplyZoom(double step);
    std::wstring EditedText() const;

    std::wstring imagePath_;
    std::wstring text_;
    CWkeWebkitUI* web_ = nullptr;
    float zoom_ = 1.0f;
};

// Runs the compare view modal to owner and returns the text to take over
// (the given text when nothing was edited or the view could not open).
std::wstring RunCompareView(HWND owner, const std::wstring& imagePath, const std::wstring& text);

// The address of the picture page for an image:
// file:///<ExeFolder>/image.html?img=<percent-encoded path>; the path is left
// out when its encoding would reach kMaxEncodedPicturePath bytes.
std::wstring ComparePageUrl(const std::wstring& imagePath);
inline constexpr std::size_t kMaxEncodedPicturePath = 8192;
