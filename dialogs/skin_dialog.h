#pragma once

#include <string>
#include <string_view>

#include "toolkit/window_impl_base.h"

// What every small dialog of the program shares: the dialog window class, a
// layout named after the dialog's skin name, set-up at "windowinit" and
// clicks by control name; every other notification is ignored.
class CSkinDialog : public WindowImplBase {
public:
    explicit CSkinDialog(std::wstring skinName) : skinName_(std::move(skinName)) {}

    std::wstring GetWindowClassName() const override { return L"TaviOCRDialogClass"; }
    bool IsDialog() const override { return true; }
    UINT GetClassStyle() const override { return kDialogClassStyle; }
    std::wstring GetSkinFile() override { return skinName_ + L".xml"; }
    void Notify(TNotifyUI& msg) override;

    // Creates the dialog owned by owner, centres it on the owner and runs it
    // modally. False when its layout is missing (nothing was shown).
    bool RunModal(HWND owner);
    // The same without waiting: created, centred and shown.
    bool ShowModeless(HWND owner);

    // When a dialog of this skin is open, brings it to the front (and the
    // keyboard to it) instead of a second one: true then.
    static bool RaiseOpen(std::wstring_view skinName);
    // The program's modal dialog, if one runs, to the front: after its owner
    // came back from the tray or from a capture.
    static void RaiseActiveModal();

protected:
    virtual void OnWindowInit() {}

    template <typename Control>
    Control* Find(std::wstring_view name) const {
        return m_pm.FindControl<Control>(name);
    }
    void SetControlText(std::wstring_view name, std::wstring_view text);
    void SetControlVisible(std::wstring_view name, bool visible);

private:
    bool CreateOwned(HWND owner);
    std::wstring skinName_;
};

// Caption of every message: section "Message", "Title".
std::wstring MessageCaption();
