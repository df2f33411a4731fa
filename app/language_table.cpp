#include "app/language_table.h"

#include <array>

namespace {

constexpr std::array<int, 0> kNoLcids{};
constexpr std::array kPortuguese{1046, 2070};
constexpr std::array kFrench{1036};
constexpr std::array kArabic{1025, 2049,  3073,  4097,  5121,  6145,  7169,  8193,
                             9217, 10241, 11265, 12289, 13313, 14337, 15361, 16385};
constexpr std::array kRussian{1049};
constexpr std::array kJapanese{1041};
constexpr std::array kSimplifiedChinese{2052};
constexpr std::array kTraditionalChinese{1028};
constexpr std::array kIndonesian{1057};
constexpr std::array kGerman{1031};
constexpr std::array kSpanish{1034};
constexpr std::array kKorean{1042};

const std::array<LanguageInfo, 12> kLanguages{{
    {0, L"English", kNoLcids, L"skin/skin-en.skin", L"en.dat", L"en_GB", L"menuEn", 1033},
    {860, L"Portuguese", kPortuguese, L"skin/skin-pt.skin", L"en.dat", L"pt_PT", L"menuPT", 1046},
    {863, L"French", kFrench, L"skin/skin-fr.skin", L"en.dat", L"fr_FR", L"menuFR", 1036},
    {864, L"Arabic", kArabic, L"skin/skin-ar.skin", L"en.dat", L"ar_EG", L"menuAR", 9217},
    {866, L"Russian", kRussian, L"skin/skin-ru.skin", L"en.dat", L"ru_RU", L"menuRU", 1049},
    {932, L"Japanese", kJapanese, L"skin/skin-jp.skin", L"en.dat", L"ja_JP", L"menuJP", 1041},
    {936, L"Simplified Chinese", kSimplifiedChinese, L"skin/skin-en.skin", L"en.dat", L"en_GB", L"",
     2052},
    {950, L"Traditional Chinese", kTraditionalChinese, L"skin/skin-tr.skin", L"tr.dat", L"zh_HK",
     L"menuTR", 1028},
    {1057, L"Indonesian", kIndonesian, L"skin/skin-id.skin", L"en.dat", L"en_GB", L"menuID", 1057},
    {1141, L"German", kGerman, L"skin/skin-de.skin", L"en.dat", L"de_DE", L"menuDE", 1031},
    {1145, L"Spanish", kSpanish, L"skin/skin-es.skin", L"en.dat", L"es_ES", L"menuES", 1034},
    {1361, L"Korean", kKorean, L"skin/skin-ko.skin", L"en.dat", L"ko_KR", L"menuKO", 1042},
}};

}  // namespace

std::span<const LanguageInfo> LanguageTable() { return kLanguages; }

const LanguageInfo& LanguageFor(int code) {
    for (const auto& row : kLanguages)
        if (row.code == code) return row;
    return kLanguages.front();
}

int LanguageCodeForLcid(int lcid) {
    for (const auto& row : kLanguages)
        for (int listed : row.lcids)
            if (listed == lcid) return row.code;
    return 0;
}
