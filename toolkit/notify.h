#pragma once

#include <string>
#include <string_view>

#include "toolkit/win_types.h"

class QWidget;

// Every control is a widget found by its skin name (objectName).
using CControlUI = QWidget;

// What a window's Notify receives: the control, its name and what happened.
struct TNotifyUI {
    std::wstring sType;
    std::wstring sName;
    CControlUI* pSender = nullptr;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

inline constexpr std::wstring_view kNotifyWindowInit = L"windowinit";
inline constexpr std::wstring_view kNotifyClick = L"click";
inline constexpr std::wstring_view kNotifySelectChanged = L"selectchanged";
inline constexpr std::wstring_view kNotifyItemSelect = L"itemselect";
inline constexpr std::wstring_view kNotifyTabSelect = L"tabselect";

class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};

// A control's skin name as wide text; empty for null.
std::wstring ControlName(const CControlUI* control);
