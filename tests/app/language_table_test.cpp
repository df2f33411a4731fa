#include "app/language_table.h"

#include <gtest/gtest.h>

TEST(LanguageTable, OemLcidsMapToTheirCodes) {
    EXPECT_EQ(LanguageCodeForLcid(2052), 936);
    EXPECT_EQ(LanguageCodeForLcid(1028), 950);
    EXPECT_EQ(LanguageCodeForLcid(2070), 860);
    EXPECT_EQ(LanguageCodeForLcid(14337), 864);
    EXPECT_EQ(LanguageCodeForLcid(1033), 0);
    EXPECT_EQ(LanguageCodeForLcid(9999), 0);
}

TEST(LanguageTable, UnlistedCodesBehaveAsEnglish) {
    EXPECT_EQ(LanguageFor(1252).code, 0);
    EXPECT_EQ(LanguageFor(1252).lcid, 1033);
    EXPECT_EQ(LanguageFor(949).skinPackagePath, L"skin/skin-en.skin");
}

TEST(LanguageTable, JapaneseChecksItsOwnSkinButUsesTheEnglishFile) {
    const LanguageInfo& jp = LanguageFor(932);
    EXPECT_EQ(jp.skinPackagePath, L"skin/skin-jp.skin");
    EXPECT_EQ(jp.languageFile, L"en.dat");
    EXPECT_EQ(jp.localeName, L"ja_JP");
    EXPECT_EQ(LanguageFor(950).languageFile, L"tr.dat");
    EXPECT_TRUE(LanguageFor(936).menuItem.empty());
}

TEST(LanguageTable, EveryCodeAndLcidAppearsOnce) {
    const auto table = LanguageTable();
    EXPECT_EQ(table.size(), 12u);
    for (size_t i = 0; i < table.size(); ++i)
        for (size_t j = i + 1; j < table.size(); ++j) {
            EXPECT_NE(table[i].code, table[j].code);
            for (int a : table[i].lcids)
                for (int b : table[j].lcids) EXPECT_NE(a, b);
        }
}
