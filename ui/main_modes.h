#pragma once

#include <optional>
#include <string_view>

#include "recognition/kinds.h"

// Pages of "tabMain", in the layout's order.
enum class MainPage : int {
    Home = 0,
    AddImages = 1,
    DocumentKinds = 2,
    Apps = 3,
    Result = 4,
    ResultList = 5,
    Drop = 6,
};

// The main window's recognition modes: what the user is about to recognise.
enum class MainMode : int {
    None = 0,
    Picture = 1,
    Screenshot = 2,
    Documents = 3,  // the kind chooser
    IdCard = 4,
    BankCard = 5,
    DrivingLicence = 6,
    VehicleLicence = 7,
    Receipt = 8,
    BusinessLicence = 9,
    Scanner = 10,
    Passport = 11,
    BankLicence = 12,
    CaptureTable = 13,  // a screenshot taken as a table (Tab held)
    Table = 15,
};

// A mode's row: the control that enters it, the page it shows, its header and
// the recognition kind it starts.
struct ModeInfo {
    MainMode mode;
    std::wstring_view button;      // the control that enters it; empty for none
    std::optional<MainPage> page;  // none: the page does not change
    std::wstring_view titleKey;    // empty: the header keeps its title
    std::wstring_view icon;        // file in ../default/images/
    KindCode kind;
};

// The row of a mode, or null for modes without one (None).
const ModeInfo* FindMode(MainMode mode);
// The mode a button enters ("Pic-OCR" → Picture), for buttons that set a mode and show the add
// page.
std::optional<MainMode> ModeForButton(std::wstring_view button);
// The recognition kind a run in this mode uses.
KindCode KindCodeForMode(MainMode mode);
// Identity card and the other documents of the kind chooser.
bool IsDocumentMode(MainMode mode);
// Results are spreadsheets.
bool IsTableMode(MainMode mode);
