#include "platform/folders.h"

#include <gtest/gtest.h>

#include "platform/file_io.h"
#include "support/temp_environment.h"

class FoldersTest : public TempEnvironment {};

TEST_F(FoldersTest, AppFolderFollowsXdgDataHomeAndIsCreated) {
    EXPECT_FALSE(FolderExists(Path("data/TaviOCR")));
    EXPECT_EQ(QueryAppFolder(), Path("data/TaviOCR"));
    EXPECT_TRUE(FolderExists(Path("data/TaviOCR")));
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(QueryAppFolder(), Path("home/.local/share/TaviOCR"));
}

TEST_F(FoldersTest, DesktopComesFromTheEnvironmentThenUserDirsThenHome) {
    EXPECT_EQ(QueryDesktopFolder(), Path("home/Desktop"));
    WriteBytes(Path("config/user-dirs.dirs"),
               "# written by xdg-user-dirs-update\nXDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n"
               "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch/\"\n");
    EXPECT_EQ(QueryDesktopFolder(), Path("home/Schreibtisch"));
    ::setenv("XDG_DESKTOP_DIR", NarrowPath("elsewhere").c_str(), 1);
    EXPECT_EQ(QueryDesktopFolder(), Path("elsewhere"));
    ::unsetenv("XDG_DESKTOP_DIR");
}

TEST_F(FoldersTest, TempWorkFolderAlwaysEndsInSlash) {
    EXPECT_EQ(QueryTempWorkFolder(), Path("tmp") + L"/");
    ::setenv("TMPDIR", "/var/tmp/", 1);
    EXPECT_EQ(QueryTempWorkFolder(), L"/var/tmp/");
    ::unsetenv("TMPDIR");
    EXPECT_EQ(QueryTempWorkFolder(), L"/tmp/");
}

TEST_F(FoldersTest, ConfigMachineAndRuntimeFoldersAreRedirected) {
    EXPECT_EQ(QueryUserConfigFolder(), Path("config"));
    EXPECT_EQ(QueryMachineStoreFolder(), Path("machine"));
    EXPECT_EQ(QueryRuntimeFolder(), Path("runtime"));
    ::unsetenv("TAVIOCR_MACHINE_DIR");
    EXPECT_EQ(QueryMachineStoreFolder(), L"/var/lib/taviocr");
}

TEST(ExeFolder, IsTheFolderOfTheRunningProgram) {
    const std::wstring folder = QueryExeFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), L'/');
    EXPECT_TRUE(FileExists(folder + L"/platform_tests"));
}
