#include "ui/toolkit_setup.h"

#include "app/language.h"
#include "app/language_file.h"
#include "app/process_globals.h"
#include "toolkit/paint_manager.h"
#include "toolkit/skin_manager.h"
#include "ui/main_frame.h"
#include "ui/qt_translation.h"

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
