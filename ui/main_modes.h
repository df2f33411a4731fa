#pragma once

#include <optional>
#include <string_view>

#include "recognition/kinds.h"

// The main window's recognition modes: what the user is about to recognise,
// the page a mode shows, its header and the recognition kind it starts.
struct ModeInfo {
    int mode;
    std::wstring_view button;    // the control that enters it; empty for none
    int page;                    // -1: the page does not change
    std::wstring_view titleKey;  // empty: the header keeps its title
    std::wstring_view icon;      // file in ../default/images/
    KindCode kind;
};

// Pages of "tabMain".
inline constexpr int kPageHome = 0;
inline constexpr int kPageAddImages = 1;
inline constexpr int kPageDocumentKinds = 2;
inline constexpr int kPageApps = 3;
inline constexpr int kPageResult = 4;
inline constexpr int kPageResultList = 5;
inline constexpr int kPageDrop = 6;

inline constexpr int kModePicture = 1;
inline constexpr int kModeScreenshot = 2;
inline constexpr int kModeDocuments = 3;
inline constexpr int kModeIdCard = 4;
inline constexpr int kModeScanner = 10;
inline constexpr int kModeCaptureTable = 13;
inline constexpr int kModeTable = 15;

// The row of a mode, or null for modes without one (0).
const ModeInfo* FindMode(int mode);
// The mode a button enters ("Pic-OCR" → 1), for buttons that set a mode and show page 1.
std::optional<int> ModeForButton(std::wstring_view button);
// The recognition kind a run in this mode uses.
KindCode KindCodeForMode(int mode);
// Identity card and the other documents of the kind chooser.
bool IsDocumentMode(int mode);
// Results are spreadsheets.
bool IsTableMode(int mode);
