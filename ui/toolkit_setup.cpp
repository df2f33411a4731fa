#include "ui/toolkit_setup.h"

#include "app/language.h"
#include "app/language_file.h"
#include "app/process_globals.h"
#include "platform/text.h"
#include "toolkit/paint_manager.h"
#include "toolkit/skin_manager.h"
#include "toolkit/skin_package.h"
#include "ui/main_frame.h"
#include "ui/qt_translation.h"

bool SkinPackageReadable() {
    const std::wstring package = Globals().Oem.SkinFolder + SkinPackageName();
    return ReadSkinPackageEntry(package, WideToUtf8(kSkinPackagePassword), "skin.xml").has_value();
}

void PrepareToolkit(const ProcessGlobals& globals) {
    CPaintManagerUI::SetInstance(globals.ExeFolder);
    CPaintManagerUI::SetSkinFileExtension(L".skin");
    CPaintManagerUI::SetResourcePath(globals.ExeFolder + L"/skin/");
    CPaintManagerUI::SetResourceZip(SkinPackageName(), kSkinPackagePassword, false);
    CSkinManager::GetSkinManager().SetLanguageSource(
        [] { return ReadLangSection(kTextSection, LanguageFilePath()); });
    FollowInterfaceLanguageInQtDialogs();
    SetInterfaceReloadHandler([] {
        FollowInterfaceLanguageInQtDialogs();
        ReloadInterfaceTexts();
    });
}
