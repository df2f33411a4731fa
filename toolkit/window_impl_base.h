#pragma once

#include <QPointer>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/dialog_builder.h"
#include "toolkit/notify.h"
#include "toolkit/paint_manager.h"
#include "toolkit/win_types.h"
#include "toolkit/window_handle.h"

class QEventLoop;
class QTimer;
#include <QWidget>

inline constexpr UINT IDOK = 1;
inline constexpr UINT IDCANCEL = 2;

// A window built from a layout file of the skin. Subclasses name their window
// class and layout; the base creates the window, builds the layout, applies
// the language texts and style sheet, and routes events: control
// notifications to Notify (clicks to OnClick), window messages to
// HandleCustomMessage first and then to the base's own handling (WM_CLOSE
// destroys the window, WM_TIMER reaches OnTimer, WM_SYSCOMMAND minimises,
// maximises, restores or closes). When the window has ended, OnFinalMessage
// runs; a subclass that owns itself deletes itself there.
class WindowImplBase : public INotifyUI, public MessageTarget, public IDialogBuilderCallback {
public:
    WindowImplBase();
    ~WindowImplBase() override;
    WindowImplBase(const WindowImplBase&) = delete;
    WindowImplBase& operator=(const WindowImplBase&) = delete;

    virtual std::wstring GetWindowClassName() const = 0;
    virtual UINT GetClassStyle() const { return CS_DBLCLKS; }
    // The folder of the window's layouts, the instance path plus "skin/".
    virtual std::wstring GetSkinFolder();
    virtual std::wstring GetSkinFile() = 0;

    // Builds the window hidden. The caption is the title the desktop shows;
    // non-zero sizes override the layout's own size, and the window keeps its
    // size unless the layout's root says sizable. Null when the layout cannot
    // be built.
    HWND Create(HWND parent, std::wstring_view caption, std::uint32_t style,
                std::uint32_t exStyle = 0, int x = 0, int y = 0, int cx = 0, int cy = 0);
    HWND GetHWND() const { return hwnd_; }
    HWND GetParentHWND() const { return parent_; }
    operator HWND() const { return hwnd_; }
    QWidget* GetWidget() const { return widget_; }
    std::uint32_t GetStyle() const { return style_; }

    // Centres on the owner window, or on the screen without one.
    void CenterWindow();
    void ShowWindow(bool show = true, bool takeFocus = true);
    void ShowWindow(int showCommand);
    // Shows the window modal to its owner and runs until it closes; returns
    // the code given to Close.
    UINT ShowModal();
    // Ends the window; ShowModal returns the code.
    void Close(UINT code = IDOK);
    // The skin's icon "icons/<id>.svg" (or .png) becomes the window icon.
    bool SetIcon(UINT resourceId);

    LRESULT SendMessageW(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    bool PostMessageW(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    bool SetTimer(UINT id, UINT milliseconds);
    bool KillTimer(UINT id);

    // State of a check box or option by name (BST_CHECKED or BST_UNCHECKED);
    // a missing control reads as unchecked and is not changed.
    UINT IsDlgButtonChecked(std::wstring_view name) const;
    bool CheckDlgButton(std::wstring_view name, UINT state);

    LRESULT HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Notify(TNotifyUI& msg) override;
    QWidget* CreateControl(const QString& className, QWidget* parent) override;

    // Files dropped from a file manager reach OnDropFiles while accepted.
    void DragAcceptFiles(bool accept);
    bool AcceptsDroppedFiles() const { return acceptDrops_; }

    // The window behind a handle of this process, or null.
    static WindowImplBase* FromHandle(HWND hwnd);

protected:
    virtual void InitWindow() {}
    virtual void OnClick(TNotifyUI& /*msg*/) {}
    virtual void OnTimer(UINT /*id*/) {}
    virtual LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual void OnDestroy() {}
    virtual void OnFinalMessage(HWND /*hwnd*/) {}
    // Full paths in drop order.
    virtual void OnDropFiles(const std::vector<std::wstring>& /*paths*/) {}
    // A fixed-size window takes the height its content needs at its width
    // (a message of one line has no empty band, a long one is not clipped).
    void FitHeightToContent();
    // Dialogs take Escape and Enter.
    virtual bool IsDialog() const { return false; }
    // Escape in a dialog: the system close, unless the dialog says otherwise.
    virtual void OnEscapeKey() { HandleWindowMessage(WM_SYSCOMMAND, SC_CLOSE, 0); }
    // Whether a drag of files may be dropped now (the cursor says so).
    virtual bool TakesDropsNow() const { return acceptDrops_; }

    // Ends the window at once: timers stop, the handle dies, the widget goes.
    void DestroyWindow();

    CPaintManagerUI m_pm;

private:
    friend class SkinWindow;
    void RunFinalMessage(HWND hwnd);
    void ConnectSystemButtons(QWidget* root);

    QPointer<QWidget> widget_;
    HWND hwnd_ = nullptr;
    HWND parent_ = nullptr;
    std::uint32_t style_ = 0;
    std::map<UINT, QTimer*> timers_;
    QEventLoop* modalLoop_ = nullptr;
    UINT modalResult_ = IDCANCEL;
    bool destroyed_ = false;
    bool finalPending_ = false;
    bool acceptDrops_ = false;
    std::shared_ptr<bool> alive_;
};

// Called once with each window's first paint (the start-up benchmark's probe).
void SetFirstPaintHook(void (*hook)(const std::wstring& windowClass));
