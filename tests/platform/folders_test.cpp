#include "platform/folders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/file_io.h"
#include "platform/private_folder.h"
#include "platform/text.h"
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

// A runtime folder another user made (or may write to) would let them answer
// for our single instance and read the engine's text: it is never used.
TEST_F(FoldersTest, ARuntimeFolderThatIsNotPrivateIsReplacedByAPrivateOne) {
    const std::string planted = NarrowPath("tmp/taviocr-" + std::to_string(::getuid()));
    std::filesystem::create_directory(planted);
    ::chmod(planted.c_str(), 0777);
    ASSERT_EQ(::chown(planted.c_str(), 65534, 65534), 0);
    ::unsetenv("XDG_RUNTIME_DIR");
    const std::wstring chosen = QueryRuntimeFolder();
    EXPECT_TRUE(IsPrivateFolder(chosen)) << WideToUtf8(chosen);
    EXPECT_NE(WideToUtf8(chosen), planted);
    // Pinned for later calls and for the programs started from here.
    EXPECT_EQ(QueryRuntimeFolder(), chosen);
    EXPECT_EQ(std::getenv("XDG_RUNTIME_DIR"), WideToUtf8(chosen));

    // A session's runtime folder open to others is refused the same way.
    ::chmod(NarrowPath("runtime").c_str(), 0755);
    ::setenv("XDG_RUNTIME_DIR", NarrowPath("runtime").c_str(), 1);
    EXPECT_NE(QueryRuntimeFolder(), Path("runtime"));
}

// A link planted where a work file is about to be written is replaced, never
// written through: the file it points at keeps its content.
TEST_F(FoldersTest, FreshFilesReplaceAPlantedLinkInsteadOfWritingThroughIt) {
    WriteBytes(Path("victim.txt"), "precious");
    std::filesystem::create_directories(NarrowPath("work"));
    std::filesystem::create_symlink(NarrowPath("victim.txt"), NarrowPath("work/copy.png"));
    ASSERT_TRUE(WriteFreshFile(Path("work/copy.png"), "picture"));
    EXPECT_EQ(ReadBytes(Path("victim.txt")), "precious");
    EXPECT_FALSE(std::filesystem::is_symlink(NarrowPath("work/copy.png")));
    EXPECT_EQ(ReadBytes(Path("work/copy.png")), "picture");
    struct stat st {};
    ASSERT_EQ(::stat(NarrowPath("work/copy.png").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}
