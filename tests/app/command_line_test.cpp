#include "app/command_line.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/autorun.h"
#include "app/oem_info.h"
#include "app/process_globals.h"
#include "platform/file_io.h"
#include "platform/text.h"
#include "support/temp_environment.h"

TEST(CommandLine, TheFirstSwitchInTheFixedOrderDecidesWhateverItsPosition) {
    EXPECT_EQ(FindStartSwitch(L"/install /uninstall"), StartSwitch::Uninstall);
    EXPECT_EQ(FindStartSwitch(L"/install /makemachine"), StartSwitch::MakeMachine);
    EXPECT_EQ(FindStartSwitch(L"x/installer"), StartSwitch::Install) << "a plain substring search";
    EXPECT_EQ(FindStartSwitch(L"/INSTALL"), StartSwitch::None) << "case matters";
    EXPECT_EQ(FindStartSwitch(L""), StartSwitch::None);
    EXPECT_TRUE(HasAutoRunSwitch(L"--x /autorun"));
    EXPECT_FALSE(HasAutoRunSwitch(L"/Autorun"));
    char a0[] = "taviocr", a1[] = "/autorun", a2[] = "中文";
    char* argv[] = {a0, a1, a2};
    EXPECT_EQ(JoinCommandLine(3, argv), L"/autorun 中文");
}

class AutoRunTest : public TempEnvironment {
protected:
    void SetUp() override {
        TempEnvironment::SetUp();
        Globals().ExeFolder = Path("program folder \"x\"");
        CreateFolderTree(Globals().ExeFolder);
    }
};

TEST_F(AutoRunTest, TheEntryStartsTheProgramWithAutorunAndCountsOnlyWhileTheProgramExists) {
    EXPECT_FALSE(IsAutoRunRegistered());
    ASSERT_TRUE(RegisterAutoRun(true));
    const std::string entry = ReadBytes(AutoRunEntryPath());
    std::string escaped;
    for (char c : WideToUtf8(Globals().ExeFolder))
        escaped += c == '"' ? std::string("\\\"") : std::string(1, c);
    EXPECT_NE(entry.find("\nExec=\"" + escaped + "/taviocr\" /autorun\n"), std::string::npos)
        << entry;
    EXPECT_FALSE(IsAutoRunRegistered()) << "the program file does not exist yet";
    WriteBytes(Globals().ExeFolder + L"/taviocr", "#!/bin/sh\n");
    EXPECT_TRUE(IsAutoRunRegistered()) << "a quoted path with spaces and quotes reads back";
    ASSERT_TRUE(RegisterAutoRun(false));
    EXPECT_FALSE(FileExists(AutoRunEntryPath()));
    EXPECT_TRUE(RegisterAutoRun(false)) << "removing what is not there is no failure";
    EXPECT_FALSE(IsAutoRunRegistered());
}

TEST_F(AutoRunTest, AnEntryWithoutTheSwitchIsNotOurs) {
    CreateFolderTree(Path("config/autostart"));
    WriteBytes(Globals().ExeFolder + L"/taviocr", "#!/bin/sh\n");
    WriteBytes(AutoRunEntryPath(),
               "[Desktop Entry]\nExec=\"" + WideToUtf8(Globals().ExeFolder) + "/taviocr\"\n");
    EXPECT_FALSE(IsAutoRunRegistered());
}

class OemTest : public TempEnvironment {};

TEST_F(OemTest, TheInstallationDefaultsSetTheLanguageThePartnerAndTheRecognitionLanguage) {
    ProcessGlobals globals;
    globals.ExeFolder = Path("");
    globals.UiLanguage = 1252;
    ReadOemIni(globals);
    EXPECT_EQ(globals.UiLanguage, 1252) << "no oem.ini: defaults";
    EXPECT_EQ(globals.Oem.PartnerId, L"0");
    WriteBytes(Path("oem.ini"), "[LANG]\nLCID=1028\nOCRLanguage=3\n[Partner]\nId=vendor-7\n");
    ReadOemIni(globals);
    EXPECT_EQ(globals.UiLanguage, 950);
    EXPECT_EQ(globals.Oem.OcrLanguage, 3);
    EXPECT_EQ(globals.Oem.PartnerId, L"vendor-7");
    WriteBytes(Path("oem.ini"), "[LANG]\nLCID=2052\n");
    ReadOemIni(globals);
    EXPECT_EQ(globals.UiLanguage, 936);
}
