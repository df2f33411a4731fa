#include "app/oem_info.h"

#include "app/language_table.h"
#include "app/process_globals.h"
#include "platform/profile.h"

void ReadOemIni(ProcessGlobals& globals) {
    const std::wstring oem = globals.ExeFolder + L"/oem.ini";
    if (const int lcid = GetPrivateProfileInt(L"LANG", L"LCID", 0, oem); lcid != 0)
        globals.UiLanguage = LanguageCodeForLcid(lcid);
    globals.Oem.PartnerId = GetPrivateProfileString(L"Partner", L"Id", L"0", 260, oem);
    globals.Oem.OcrLanguage = GetPrivateProfileInt(L"LANG", L"OCRLanguage", 0, oem);
}
