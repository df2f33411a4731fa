#include "platform/profile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "platform/file_io.h"
#include "platform/text.h"
#include "support/child_process.h"
#include "support/temp_environment.h"

class ProfileFileTest : public TempEnvironment {
protected:
    std::wstring ini() const { return Path("config.ini"); }
};

TEST_F(ProfileFileTest, MissingFileGivesDefaults) {
    EXPECT_EQ(GetPrivateProfileString(L"General", L"SavePath", L"def", 260, ini()), L"def");
    EXPECT_EQ(GetPrivateProfileInt(L"General", L"HotKey", 42, ini()), 42);
    EXPECT_TRUE(GetPrivateProfileKeys(L"General", ini()).empty());
}

TEST_F(ProfileFileTest, StringReadsHonourCapacityAndStripQuotes) {
    WriteBytes(ini(), "[S]\nk=abcdef\nq=\"quoted value\"\nhalf=\"open\n");
    EXPECT_EQ(GetPrivateProfileString(L"S", L"k", L"", 4, ini()), L"abc");
    EXPECT_EQ(GetPrivateProfileString(L"S", L"k", L"", 0, ini()), L"");
    EXPECT_EQ(GetPrivateProfileString(L"S", L"missing", L"dflt", 3, ini()), L"df");
    EXPECT_EQ(GetPrivateProfileString(L"S", L"q", L"", 260, ini()), L"quoted value");
    EXPECT_EQ(GetPrivateProfileString(L"S", L"half", L"", 260, ini()), L"\"open");
}

TEST_F(ProfileFileTest, EmptyValueReadsAsDefaultIntegerButNonNumericAsZero) {
    WriteBytes(ini(), "[S]\nempty=\ntext=yes\nlead=12px\n");
    EXPECT_EQ(GetPrivateProfileInt(L"S", L"empty", 9, ini()), 9);
    EXPECT_EQ(GetPrivateProfileInt(L"S", L"text", 9, ini()), 0);
    EXPECT_EQ(GetPrivateProfileInt(L"S", L"lead", 9, ini()), 12);
}

TEST_F(ProfileFileTest, WriteCreatesUtf16FileAndKeepsOtherKeys) {
    ASSERT_TRUE(WritePrivateProfileString(L"General", L"A", L"1", ini()));
    ASSERT_TRUE(WritePrivateProfileString(L"General", L"B", L"2", ini()));
    ASSERT_TRUE(WritePrivateProfileString(L"general", L"a", L"3", ini()));
    EXPECT_EQ(ReadBytes(ini()), "\xFF\xFE" + EncodeUtf16Le(L"[General]\r\na=3\r\nB=2\r\n"));
    EXPECT_EQ(GetPrivateProfileKeys(L"GENERAL", ini()), (std::vector<std::wstring>{L"a", L"B"}));
    // No temporary file is left beside it.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(NarrowPath("")))
        files += entry.path().filename().string().starts_with("config.ini") ? 1 : 0;
    EXPECT_EQ(files, 1);
}

TEST_F(ProfileFileTest, ANewFileFollowsTheUmaskAndAnOldOneKeepsItsMode) {
    const mode_t old = ::umask(077);
    ASSERT_TRUE(WritePrivateProfileString(L"General", L"A", L"1", ini()));
    ::umask(old);
    struct stat st {};
    ASSERT_EQ(::stat(NarrowPath("config.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ::chmod(NarrowPath("config.ini").c_str(), 0640);
    ASSERT_TRUE(WritePrivateProfileString(L"General", L"A", L"2", ini()));
    ASSERT_EQ(::stat(NarrowPath("config.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(ProfileFileTest, HandEditedUtf8FileIsConvertedOnFirstWriteKeepingEveryKey) {
    WriteBytes(ini(), "[General]\nSavePath=/home/ä\nHotKey=1\n[Main]\nAwareDPI=1\n");
    ASSERT_TRUE(WritePrivateProfileString(L"General", L"CanUpdate", L"0", ini()));
    const std::string bytes = ReadBytes(ini());
    ASSERT_TRUE(bytes.starts_with("\xFF\xFE"));
    EXPECT_EQ(GetPrivateProfileString(L"General", L"SavePath", L"", 260, ini()), L"/home/ä");
    EXPECT_EQ(GetPrivateProfileInt(L"General", L"HotKey", 0, ini()), 1);
    EXPECT_EQ(GetPrivateProfileInt(L"Main", L"AwareDPI", 0, ini()), 1);
    EXPECT_EQ(GetPrivateProfileInt(L"General", L"CanUpdate", 1, ini()), 0);
}

TEST_F(ProfileFileTest, DeleteRemovesOnlyThatKey) {
    WritePrivateProfileString(L"S", L"a", L"1", ini());
    WritePrivateProfileString(L"S", L"b", L"2", ini());
    EXPECT_TRUE(DeletePrivateProfileKey(L"s", L"A", ini()));
    EXPECT_EQ(GetPrivateProfileKeys(L"S", ini()), (std::vector<std::wstring>{L"b"}));
    EXPECT_TRUE(DeletePrivateProfileKey(L"S", L"never", ini()));
    EXPECT_TRUE(DeletePrivateProfileKey(L"S", L"a", Path("absent.ini")));
    EXPECT_FALSE(FileExists(Path("absent.ini")));
}

TEST_F(ProfileFileTest, NamesAndValuesThatWouldSplitLinesAreRefused) {
    EXPECT_FALSE(WritePrivateProfileString(L"S", L"a\nb", L"1", ini()));
    EXPECT_FALSE(WritePrivateProfileString(L"S", L"a=b", L"1", ini()));
    EXPECT_FALSE(WritePrivateProfileString(L"S]", L"a", L"1", ini()));
    EXPECT_FALSE(WritePrivateProfileString(L"S", L"a", L"1\r\n[Evil]", ini()));
    EXPECT_FALSE(FileExists(ini()));
}

TEST_F(ProfileFileTest, TwoProcessesWritingDifferentKeysLoseNeither) {
    const std::wstring path = ini();
    ASSERT_TRUE(RunConcurrently(2, [&](int writer) {
        for (int i = 0; i < 60; ++i) {
            const std::wstring key = L"w" + std::to_wstring(writer) + L"k" + std::to_wstring(i);
            if (!WritePrivateProfileString(L"General", key, std::to_wstring(i), path)) return 1;
        }
        return 0;
    }));
    const auto keys = GetPrivateProfileKeys(L"General", path);
    EXPECT_EQ(keys.size(), 120u);
    EXPECT_EQ(GetPrivateProfileInt(L"General", L"w1k59", -1, path), 59);
}

TEST_F(ProfileFileTest, FullDiskMidWriteLeavesThePreviousFile) {
    std::wstring big(4000, L'x');
    ASSERT_TRUE(WritePrivateProfileString(L"General", L"A", L"1", ini()));
    const std::string before = ReadBytes(ini());
    const std::wstring path = ini();
    // The file size limit makes the write fail part way, as a full disk would.
    const ChildResult child = RunInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{1024, 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        return WritePrivateProfileString(L"General", L"Big", big, path) ? 0 : 3;
    });
    EXPECT_EQ(child.exitCode, 3);
    EXPECT_EQ(ReadBytes(ini()), before);
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(NarrowPath(""))) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 2 + 6) << "only config.ini and its lock file beside the fixture folders";
}

TEST_F(ProfileFileTest, AnExistingFileThatCannotBeReadIsNeverReplaced) {
    // Larger than any settings file: refused for reading, so a write must not
    // replace it with a file holding just the one new key.
    {
        WriteBytes(ini(), "[General]\r\nA=1\r\n");
        ASSERT_EQ(::truncate(WideToUtf8(ini()).c_str(), kMaxProfileFileBytes + 1), 0);
    }
    EXPECT_FALSE(WritePrivateProfileString(L"General", L"B", L"2", ini()));
    EXPECT_EQ(std::filesystem::file_size(WideToUtf8(ini())), kMaxProfileFileBytes + 1);
    EXPECT_EQ(GetPrivateProfileInt(L"General", L"A", 7, ini()), 7);
}

TEST_F(ProfileFileTest, WriteIntoMissingFolderFails) {
    EXPECT_FALSE(WritePrivateProfileString(L"S", L"a", L"1", Path("no/such/dir/x.ini")));
}
