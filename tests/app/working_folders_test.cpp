#include "app/working_folders.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/process_globals.h"
#include "platform/file_io.h"
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

TEST_F(WorkingFoldersTest, FoldersLieUnderTheTemporaryFolder) {
    const std::wstring temp = Path("tmp") + L"/";
    EXPECT_EQ(CompressFolder(), temp + L"taviOCR/compress/");
    EXPECT_EQ(IdCardFolder(), temp + L"taviOCR/IdCards/");
    EXPECT_EQ(CaptureFolder(), temp + L"taviOCR/screencut");
    EXPECT_EQ(ScannerFolder(), temp + L"/taviOCR/Scanner");
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
