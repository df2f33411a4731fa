#include "ui/toolkit_setup.h"

#include <QApplication>

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

namespace {

// Plain Qt windows that ask for it (the scanner's own window) wear the
// skin's look too; the rules are scoped to them, so the skin's own windows
// and Qt's dialogs are untouched.
void DressPlainWindows() {
    const auto style = CPaintManagerUI::LoadResource("plain.qss");
    qApp->setStyleSheet(
        style ? QString::fromUtf8(style->data(), static_cast<qsizetype>(style->size()))
              : QString());
}

}  // namespace

void PrepareToolkit(const ProcessGlobals& globals) {
    CPaintManagerUI::SetInstance(globals.ExeFolder);
    CPaintManagerUI::SetSkinFileExtension(L".skin");
    CPaintManagerUI::SetResourcePath(globals.ExeFolder + L"/skin/");
    CPaintManagerUI::SetResourceZip(SkinPackageName(), kSkinPackagePassword, false);
    CSkinManager::GetSkinManager().SetLanguageSource(
        [] { return ReadLangSection(kTextSection, LanguageFilePath()); });
    FollowInterfaceLanguageInQtDialogs();
    DressPlainWindows();
    SetInterfaceReloadHandler([] {
        FollowInterfaceLanguageInQtDialogs();
        ReloadInterfaceTexts();
        DressPlainWindows();  // from the skin package the new language loaded
    });
}
