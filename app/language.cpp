#include "app/language.h"

#include "app/language_table.h"
#include "app/process_globals.h"
#include "app/setting_keys.h"
#include "app/settings.h"
#include "platform/file_io.h"
#include "platform/text.h"

namespace {

std::function<void()>& ReloadHandler() {
    static std::function<void()> handler;
    return handler;
}

}  // namespace

std::wstring LocaleName() { return std::wstring(LanguageFor(Globals().UiLanguage).localeName); }

std::wstring SkinPackageName() {
    return Globals().UiLanguage == 950 ? L"skin-tr.skin" : L"skin-en.skin";
}

bool CheckSkinPackage() {
    ProcessGlobals& globals = Globals();
    const std::wstring package =
        globals.ExeFolder + L"/" + std::wstring(LanguageFor(globals.UiLanguage).skinPackagePath);
    if (!FileExists(package)) return false;
    globals.Oem.SkinFolder = package.substr(0, package.rfind(L'/') + 1);
    return true;
}

std::optional<int> LanguageCodeForMenuItem(std::wstring_view menuItem) {
    for (const LanguageInfo& row : LanguageTable())
        if (!row.menuItem.empty() && EqualsNoCase(row.menuItem, menuItem)) return row.code;
    return std::nullopt;
}

void SelectLanguageByMenu(std::wstring_view menuItem) {
    ProcessGlobals& globals = Globals();
    if (const auto code = LanguageCodeForMenuItem(menuItem); code && *code != globals.UiLanguage) {
        globals.UiLanguage = *code;
        ChangeSetting(kLanguage, *code);
        if (ReloadHandler()) ReloadHandler()();
    }
    WriteLanguageLcid(globals.UiLanguage);
}

void SetInterfaceReloadHandler(std::function<void()> reload) {
    ReloadHandler() = std::move(reload);
}
