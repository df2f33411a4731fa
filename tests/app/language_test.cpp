#include "app/language.h"

#include <gtest/gtest.h>

#include "app/lang_format.h"
#include "app/process_globals.h"
#include "app/settings.h"
#include "platform/file_io.h"
#include "platform/profile.h"
#include "support/temp_environment.h"

class LanguageTest : public TempEnvironment {
protected:
    void SetUp() override {
        TempEnvironment::SetUp();
        Globals() = ProcessGlobals{};
        Globals().ExeFolder = Path("app");
        Globals().AppFolder = Path("data");
        Globals().DesktopFolder = Path("home/Desktop");
        GlobalSettings() = AppSettings{};
        LoadSettings();
        SetInterfaceReloadHandler([this] { ++reloads_; });
    }
    void TearDown() override {
        SetInterfaceReloadHandler(nullptr);
        TempEnvironment::TearDown();
    }
    std::wstring config() const { return Path("data/config.ini"); }
    int reloads_ = 0;
};

TEST_F(LanguageTest, NamesFollowTheLanguageTable) {
    Globals().UiLanguage = 932;
    EXPECT_EQ(LocaleName(), L"ja_JP");
    EXPECT_EQ(SkinPackageName(), L"skin-en.skin");
    Globals().UiLanguage = 950;
    EXPECT_EQ(LocaleName(), L"zh_HK");
    EXPECT_EQ(SkinPackageName(), L"skin-tr.skin");
    Globals().UiLanguage = 936;
    EXPECT_EQ(LocaleName(), L"en_GB");
}

TEST_F(LanguageTest, SkinCheckLooksForTheLanguagesOwnPackage) {
    Globals().UiLanguage = 932;
    EXPECT_FALSE(CheckSkinPackage());
    EXPECT_TRUE(Globals().Oem.SkinFolder.empty());
    WriteBytes(Path("app/skin/skin-en.skin"), "x");
    EXPECT_FALSE(CheckSkinPackage()) << "Japanese needs skin-jp.skin, not the English one";
    WriteBytes(Path("app/skin/skin-jp.skin"), "x");
    EXPECT_TRUE(CheckSkinPackage());
    EXPECT_EQ(Globals().Oem.SkinFolder, Path("app/skin") + L"/");
}

TEST_F(LanguageTest, MenuSwitchStoresReloadsAndWritesTheLcid) {
    Globals().UiLanguage = 936;
    SelectLanguageByMenu(L"menuEn");
    EXPECT_EQ(Globals().UiLanguage, 0);
    EXPECT_EQ(GlobalSettings().Language, 0);
    EXPECT_EQ(reloads_, 1);
    EXPECT_EQ(GetPrivateProfileInt(L"General", L"Language", -1, config()), 0);
    EXPECT_EQ(GetPrivateProfileInt(L"Setting", L"LCID", -1, config()), 1033);

    SelectLanguageByMenu(L"MENUtr");
    EXPECT_EQ(Globals().UiLanguage, 950);
    EXPECT_EQ(GetPrivateProfileInt(L"Setting", L"LCID", -1, config()), 1028);
    EXPECT_EQ(reloads_, 2);
}

TEST_F(LanguageTest, SameOrUnknownItemOnlyWritesTheLcid) {
    Globals().UiLanguage = 932;
    SelectLanguageByMenu(L"menuJP");
    EXPECT_EQ(reloads_, 0);
    EXPECT_EQ(GetPrivateProfileInt(L"General", L"Language", -1, config()), -1);
    EXPECT_EQ(GetPrivateProfileInt(L"Setting", L"LCID", -1, config()), 1041);
    SelectLanguageByMenu(L"menuXX");
    EXPECT_EQ(Globals().UiLanguage, 932);
    EXPECT_EQ(reloads_, 0);
    EXPECT_EQ(LanguageCodeForMenuItem(L"menuKO"), 1361);
    EXPECT_FALSE(LanguageCodeForMenuItem(L""));
}

TEST(LangFormat, FormatsTextsThatMatchTheirArguments) {
    EXPECT_EQ(FormatLangText(L"Recognising %d of %d: %s", 1, 3, L"a.png"),
              L"Recognising 1 of 3: a.png");
    EXPECT_EQ(FormatLangText(L"%s  %s  × %s %s  %s %s %s %s", L"Pen", L"A4", L"2", L"box", L"1.00",
                             L"2.00", L"13%", L"0.26"),
              L"Pen  A4  × 2 box  1.00 2.00 13% 0.26");
    EXPECT_EQ(FormatLangText(L"100%% done"), L"100% done");
}

TEST(LangFormat, MismatchedTextsAreShownUnformatted) {
    // More conversions than arguments, a wrong type and conversions that would
    // read or write memory under printf: all come back as written.
    EXPECT_EQ(FormatLangText(L"%s %s %s", L"a", L"b"), L"%s %s %s");
    EXPECT_EQ(FormatLangText(L"%d bytes", L"12"), L"%d bytes");
    EXPECT_EQ(FormatLangText(L"%s", 5), L"%s");
    EXPECT_EQ(FormatLangText(L"%n%n", 1), L"%n%n");
    EXPECT_EQ(FormatLangText(L"trailing %", 1), L"trailing %");
}
