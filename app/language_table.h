#pragma once

#include <span>
#include <string_view>

// What each interface language code selects. The code is a Windows code-page
// number; every code that is not listed behaves as English (code 0).
struct LanguageInfo {
    int code;
    std::wstring_view language;
    std::span<const int> lcids;         // oem.ini LCIDs mapped to this code
    std::wstring_view skinPackagePath;  // checked at start, relative to ExeFolder
    std::wstring_view languageFile;     // in ExeFolder/language/
    std::wstring_view localeName;       // five characters, e.g. "en_GB"
    std::wstring_view menuItem;         // empty when the menu has no item for it
    int lcid;                           // written back to config.ini [Setting] LCID
};

std::span<const LanguageInfo> LanguageTable();
// The row of a code; unlisted codes give the English row.
const LanguageInfo& LanguageFor(int code);
// The code an oem.ini LCID selects; an unknown LCID gives 0 (English).
int LanguageCodeForLcid(int lcid);
