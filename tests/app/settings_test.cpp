#include "app/settings.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/process_globals.h"
#include "app/setting_keys.h"
#include "platform/file_io.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "support/temp_environment.h"

class SettingsTest : public TempEnvironment {
protected:
    void SetUp() override {
        TempEnvironment::SetUp();
        globals_ = ProcessGlobals{};
        globals_.AppFolder = Path("data/TaviOCR");
        globals_.DesktopFolder = Path("home/Desktop");
        globals_.TempWorkFolder = Path("tmp") + L"/";
        globals_.UiLanguage = 936;
        CreateFolderTree(globals_.AppFolder);
        Globals() = globals_;
        GlobalSettings() = AppSettings{};
    }
    std::wstring config() const { return Path("data/TaviOCR/config.ini"); }
    void WriteConfig(const std::wstring& text) {
        WriteBytes(config(), "\xFF\xFE" + EncodeUtf16Le(text));
    }
    AppSettings Load() {
        AppSettings s;
        LoadSettings(s, globals_);
        return s;
    }

    ProcessGlobals globals_;
};

TEST_F(SettingsTest, FreshRecordHoldsTheStartValues) {
    const AppSettings s;
    EXPECT_EQ(s.MaxImageSize, 4096);
    EXPECT_EQ(s.CanUpdate + s.AwareDPI + s.HideWhenClose + s.RemindWhenClose +
                  s.CompressedSizeLimit + s.RemindWhenCopy + s.UseHighQuality + s.RemindMergeBatch +
                  s.HotKey + s.OCRLanguage + s.Language,
              0);
}

TEST_F(SettingsTest, MissingFileIsCreatedAsBareBomAndDefaultsApply) {
    globals_.Oem.OcrLanguage = 3;
    const AppSettings s = Load();
    EXPECT_EQ(ReadBytes(config()), "\xFF\xFE");
    EXPECT_EQ(s.ConfigPath, config());
    EXPECT_EQ(s.CanUpdate, 1);
    EXPECT_EQ(s.AwareDPI, 0);
    EXPECT_EQ(s.SavePath, Path("home/Desktop"));
    EXPECT_EQ(s.HideWhenClose, 1);
    EXPECT_EQ(s.RemindWhenClose, 1);
    EXPECT_EQ(s.RemindWhenCopy, 1);
    EXPECT_EQ(s.CompressedSizeLimit, 0);
    EXPECT_EQ(s.HotKey, 0x730000);
    EXPECT_EQ(HotKeyVirtualKey(s.HotKey), 0x73);
    EXPECT_EQ(HotKeyModifiers(s.HotKey), 0);
    EXPECT_EQ(s.MaxImageSize, 4096);
    EXPECT_EQ(s.UseHighQuality, 1);
    EXPECT_EQ(s.RemindMergeBatch, 1);
    EXPECT_EQ(s.OCRLanguage, 3);
    EXPECT_EQ(s.Language, 936);
    // The desktop folder did not exist: it is created as the save folder.
    EXPECT_TRUE(FolderExists(Path("home/Desktop")));
}

TEST_F(SettingsTest, StoredValuesAreReadAndOutOfRangeValuesKept) {
    WriteConfig(
        L"[General]\r\nCanUpdate=0\r\nHotKey=0\r\nMaxImageSize=999\r\n"
        L"OCRLanguage=-1\r\nRemindWhenCopy=7\r\n[Main]\r\nAwareDPI=2\r\n");
    const AppSettings s = Load();
    EXPECT_EQ(s.CanUpdate, 0);
    EXPECT_EQ(s.HotKey, 0);
    EXPECT_EQ(s.MaxImageSize, 999);
    EXPECT_EQ(s.OCRLanguage, -1);
    EXPECT_EQ(s.RemindWhenCopy, 7);
    EXPECT_EQ(s.AwareDPI, 2);
}

TEST_F(SettingsTest, HighQualityIsOnAtEveryStart) {
    WriteConfig(L"[General]\r\nUseHighQuality=0\r\n");
    EXPECT_EQ(Load().UseHighQuality, 1);
    // The file keeps what the user chose.
    EXPECT_EQ(GetPrivateProfileInt(L"General", L"UseHighQuality", 1, config()), 0);
}

TEST_F(SettingsTest, StoredLanguageReplacesTheStartLanguage) {
    WriteConfig(L"[General]\r\nLanguage=950\r\n");
    Globals().UiLanguage = 936;
    LoadSettings();
    EXPECT_EQ(Globals().UiLanguage, 950);
    EXPECT_EQ(GlobalSettings().Language, 950);
}

TEST_F(SettingsTest, MissingSavePathFolderIsCreatedWithParents) {
    const std::wstring target = Path("results/deep/er");
    WriteConfig(L"[General]\r\nSavePath=" + target + L"\r\n");
    EXPECT_EQ(Load().SavePath, target);
    EXPECT_TRUE(FolderExists(target));
}

TEST_F(SettingsTest, SavePathIsCutTo259Characters) {
    WriteConfig(L"[General]\r\nSavePath=/" + std::wstring(400, L's') + L"\r\n");
    EXPECT_EQ(Load().SavePath.size(), 259u);
}

TEST_F(SettingsTest, DamagedFilesGiveDefaultsForWhatCannotBeRead) {
    struct Case {
        const char* what;
        std::string bytes;
        int expectedHotKey;
    };
    const std::string valid = "\xFF\xFE" + EncodeUtf16Le(L"[General]\r\nHotKey=5\r\nCanUpdate=0");
    std::string garbage;
    for (int i = 0; i < 5000; ++i) garbage += static_cast<char>((i * 2654435761u) >> 24);
    const Case cases[] = {
        {"empty", "", 0x730000},
        {"only a BOM", "\xFF\xFE", 0x730000},
        {"truncated mid-character", valid.substr(0, valid.size() - 1), 5},
        {"UTF-8 without BOM", "[General]\nHotKey=5\n", 5},
        {"binary garbage", garbage, 0x730000},
        {"100 KB line", "[General]\nJunk=" + std::string(100 * 1024, 'j') + "\nHotKey=5\n", 5},
        {"duplicates", "[General]\nHotKey=5\nHotKey=6\n[General]\nHotKey=7\n", 5},
        {"non-numeric", "[General]\nHotKey=F4\n", 0},
    };
    for (const Case& c : cases) {
        WriteBytes(config(), c.bytes);
        EXPECT_EQ(Load().HotKey, c.expectedHotKey) << c.what;
    }
}

TEST_F(SettingsTest, WritesGoToTheFileAtOnceKeepingOtherKeys) {
    WriteBytes(config(), "[General]\nSavePath=/x\n[Custom]\nMine=1\n");
    LoadSettings();
    EXPECT_TRUE(ChangeSetting(kHideWhenClose, 0));
    EXPECT_EQ(GlobalSettings().HideWhenClose, 0);
    EXPECT_TRUE(WriteSettingInt(L"General", L"MaxImageSize", 2048));
    EXPECT_TRUE(ChangeSavePath(L"/y"));
    const std::string bytes = ReadBytes(config());
    ASSERT_TRUE(bytes.starts_with("\xFF\xFE"));
    EXPECT_EQ(GetPrivateProfileInt(L"General", L"HideWhenClose", 1, config()), 0);
    EXPECT_EQ(GetPrivateProfileInt(L"General", L"MaxImageSize", 0, config()), 2048);
    EXPECT_EQ(GetPrivateProfileString(L"General", L"SavePath", L"", 260, config()), L"/y");
    EXPECT_EQ(GetPrivateProfileInt(L"Custom", L"Mine", 0, config()), 1);
}

TEST_F(SettingsTest, LanguageLcidIsWrittenFromTheLanguageTable) {
    LoadSettings();
    const std::pair<int, int> cases[] = {{0, 1033},   {932, 1041}, {936, 2052}, {950, 1028},
                                         {864, 9217}, {860, 1046}, {1234, 1033}};
    for (const auto& [code, lcid] : cases) {
        ASSERT_TRUE(WriteLanguageLcid(code));
        EXPECT_EQ(GetPrivateProfileInt(L"Setting", L"LCID", -1, config()), lcid) << code;
    }
}

TEST_F(SettingsTest, UnwritableAppFolderKeepsDefaultsInMemory) {
    WriteBytes(Path("file-not-folder"), "x");
    globals_.AppFolder = Path("file-not-folder/TaviOCR");
    const AppSettings s = Load();
    EXPECT_EQ(s.HotKey, 0x730000);
    EXPECT_EQ(s.UseHighQuality, 1);
    Globals() = globals_;
    LoadSettings();
    EXPECT_FALSE(ChangeSetting(kCanUpdate, 0));
    EXPECT_EQ(GlobalSettings().CanUpdate, 0);
}

TEST_F(SettingsTest, EveryKeyIsDeclaredOnceInReadingOrder) {
    ASSERT_EQ(kIntSettings.size(), 12u);
    EXPECT_EQ(kIntSettings.front().key, L"CanUpdate");
    EXPECT_EQ(kIntSettings.back().key, L"Language");
    for (size_t i = 0; i < kIntSettings.size(); ++i)
        for (size_t j = i + 1; j < kIntSettings.size(); ++j)
            EXPECT_NE(kIntSettings[i].field, kIntSettings[j].field);
}

// A settings file too large to read (or a full disk) keeps its content, and
// the user hears of it once a run instead of losing every change silently.
TEST_F(SettingsTest, ASettingThatCannotBeSavedIsReportedOnce) {
    GlobalSettings().ConfigPath = config();
    WriteBytes(config(), std::string(kMaxProfileFileBytes + 1, 'x'));
    std::vector<std::wstring> reports;
    SetSettingsNotSavedHandler([&](const std::wstring& path) { reports.push_back(path); });
    EXPECT_FALSE(ChangeSetting(kHideWhenClose, 1));
    EXPECT_EQ(GlobalSettings().HideWhenClose, 1) << "the value stays for this run";
    EXPECT_FALSE(ChangeSetting(kHideWhenClose, 0));
    EXPECT_EQ(reports, std::vector<std::wstring>{config()});
    EXPECT_EQ(std::filesystem::file_size(NarrowPath("data/TaviOCR/config.ini")),
              kMaxProfileFileBytes + 1);
    SetSettingsNotSavedHandler(nullptr);
}
