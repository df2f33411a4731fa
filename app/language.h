#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The interface language: names derived from UiLanguage, the start-up skin
// check and the run-time switch from the language menu.

inline constexpr std::wstring_view kSkinPackagePassword = L"qmv5858k5pkpf@pq";

// Five-character locale of the interface language ("en_GB", "zh_HK", ...).
std::wstring LocaleName();
// The resource package handed to the toolkit: skin-tr.skin for 950, else skin-en.skin.
std::wstring SkinPackageName();
// Whether the language's own skin package exists beside the program; on
// success its folder (ending in "/") is recorded in OemInfo.
bool CheckSkinPackage();

// The code a language-menu item selects ("menuJP" → 932), compared without
// case; nothing for other names.
std::optional<int> LanguageCodeForMenuItem(std::wstring_view menuItem);

// Switches the interface language from the menu: a new code is stored in
// UiLanguage and the settings, written to config.ini and the interface is
// reloaded; in every case the language's LCID is written back.
void SelectLanguageByMenu(std::wstring_view menuItem);

// The window layer reloads the interface texts after a switch; until it
// registers, a switch only changes the stored language.
void SetInterfaceReloadHandler(std::function<void()> reload);
