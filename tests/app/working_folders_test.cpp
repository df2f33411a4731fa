#include "app/working_folders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "app/process_globals.h"
#include "platform/file_io.h"
#include "platform/text.h"
#include "support/temp_environment.h"

namespace fs = std::filesystem;

class WorkingFoldersTest : public TempEnvironment {
protected:
    void SetUp() override {
        TempEnvironment::SetUp();
        Globals().TempWorkFolder = Path("tmp") + L"/";
        for (const char* file : {"work/a.jpg", "work/b.JPG", "work/c.png", "work/sub/d.jpg",
                                 "work/sub/e.txt", "work/sub/deeper/f.jpg", "outside/keep.jpg"})
            WriteBytes(Path(file), "data");
    }
    bool Exists(const char* relative) const { return fs::exists(NarrowPath(relative)); }
};

TEST_F(WorkingFoldersTest, FoldersLieInAPrivateRootUnderTheTemporaryFolder) {
    const std::wstring root = Path("tmp") + L"/taviOCR/";
    EXPECT_EQ(CompressFolder(), root + L"compress/");
    EXPECT_EQ(IdCardFolder(), root + L"IdCards/");
    EXPECT_EQ(CaptureFolder(), root + L"screencut");
    EXPECT_EQ(ScannerFolder(), root + L"Scanner");
    struct stat st {};
    ASSERT_EQ(::lstat(NarrowPath("tmp/taviOCR").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

// What another user may have left in the shared temporary folder before us:
// their own folder open to all, a folder of ours that others may enter, a link.
TEST_F(WorkingFoldersTest, ARootOthersOwnOrMayEnterIsNeverUsed) {
    const std::string planted = NarrowPath("tmp/taviOCR");
    const auto plant = [&](int variant) {
        fs::remove_all(planted);
        fs::remove_all(planted + "-0");
        if (variant == 2) {
            fs::create_directory(NarrowPath("outside/victim"));
            fs::create_directory_symlink(NarrowPath("outside/victim"), planted);
            return;
        }
        fs::create_directory(planted);
        ::chmod(planted.c_str(), variant == 0 ? 0777 : 0755);
        if (variant == 0) {
            ASSERT_EQ(::chown(planted.c_str(), 65534, 65534), 0);
        }
    };
    for (int variant : {0, 1, 2}) {
        SCOPED_TRACE(variant);
        plant(variant);
        const std::string root = WideToUtf8(CompressFolder());
        EXPECT_EQ(root.rfind(planted + "/", 0), std::string::npos) << root;
        const std::string folder = root.substr(0, root.size() - std::string("/compress/").size());
        struct stat st {};
        ASSERT_EQ(::lstat(folder.c_str(), &st), 0) << folder;
        EXPECT_TRUE(S_ISDIR(st.st_mode));
        EXPECT_EQ(st.st_uid, ::geteuid());
        EXPECT_EQ(st.st_mode & 0777, 0700u);
    }
    EXPECT_TRUE(fs::is_empty(NarrowPath("outside/victim")));
}

TEST_F(WorkingFoldersTest, ExtensionFilterComparesWithoutCaseAndRecurses) {
    CleanFolder(Path("work"), L"jpg", false);
    EXPECT_FALSE(Exists("work/a.jpg"));
    EXPECT_FALSE(Exists("work/b.JPG"));
    EXPECT_FALSE(Exists("work/sub/deeper/f.jpg"));
    EXPECT_TRUE(Exists("work/c.png"));
    EXPECT_TRUE(Exists("work/sub/e.txt"));
    EXPECT_TRUE(Exists("work/sub/deeper"));
    CleanFolder(Path("work"), L".png", false);
    EXPECT_FALSE(Exists("work/c.png"));
}

TEST_F(WorkingFoldersTest, RemovingFoldersTakesTheWholeTree) {
    CleanFolder(Path("work") + L"/", L"", true);
    EXPECT_FALSE(Exists("work"));
    EXPECT_TRUE(Exists("outside/keep.jpg"));
}

TEST_F(WorkingFoldersTest, LinksAreRemovedNeverFollowed) {
    fs::create_directory_symlink(NarrowPath("outside"), NarrowPath("work/link-to-outside"));
    fs::create_symlink(NarrowPath("outside/keep.jpg"), NarrowPath("work/file-link.jpg"));
    CleanFolder(Path("work"), L"", true);
    EXPECT_FALSE(Exists("work"));
    EXPECT_TRUE(Exists("outside/keep.jpg"));
}

TEST_F(WorkingFoldersTest, MissingFolderIsNoError) {
    CleanFolder(Path("nothing-here"), L"", true);
    CleanFolder(L"", L"jpg", false);
    EXPECT_TRUE(Exists("outside/keep.jpg"));
}

// A killed command line leaves its copies; the next start takes them away,
// never those of a run still going.
TEST_F(WorkingFoldersTest, LeftoversOfEndedRunsAreCleanedAtTheNextStart) {
    const pid_t ended = ::fork();
    if (ended == 0) ::_exit(0);
    ::waitpid(ended, nullptr, 0);
    const std::wstring root = WorkRootFolder();
    const std::wstring dead = root + L"cli-" + std::to_wstring(ended);
    const std::wstring alive = root + L"cli-" + std::to_wstring(::getpid());
    WriteBytes(dead + L"/0.png", "copy");
    WriteBytes(alive + L"/0.png", "copy");
    WriteBytes(CompressFolder() + L"abc/big.jpg", "copy");
    CleanLeftoverWork(false);
    EXPECT_FALSE(fs::exists(WideToUtf8(dead)));
    EXPECT_TRUE(fs::exists(WideToUtf8(alive + L"/0.png")));
    EXPECT_TRUE(fs::exists(WideToUtf8(CompressFolder() + L"abc/big.jpg")));
    CleanLeftoverWork(true);
    EXPECT_FALSE(fs::exists(WideToUtf8(CompressFolder())));
    EXPECT_TRUE(fs::exists(WideToUtf8(alive + L"/0.png")));
}
