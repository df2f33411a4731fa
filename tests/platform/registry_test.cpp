#include "platform/registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/text.h"
#include "support/child_process.h"
#include "support/temp_environment.h"

namespace {
constexpr std::wstring_view kKey = L"Software\\TaviOCR";
}

class RegistryTest : public TempEnvironment {
protected:
    unsigned ModeOf(const char* relative) const {
        struct stat st {};
        return ::stat(NarrowPath(relative).c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
    }
};

TEST_F(RegistryTest, StoresLieInTheRedirectedFolders) {
    EXPECT_EQ(RegistryStorePath(RegistryHive::CurrentUser), Path("config/TaviOCR/user.reg"));
    EXPECT_EQ(RegistryStorePath(RegistryHive::LocalMachine), Path("machine/machine.reg"));
}

// The user's store holds the password hash, which the account server takes as
// the password; the machine's store is read by every user.
TEST_F(RegistryTest, TheUserStoreIsTheOwnersAloneWhateverTheUmask) {
    const mode_t old = ::umask(0);
    ASSERT_TRUE(RegWriteString(RegistryHive::CurrentUser, kKey, L"Password", L"5f4dcc3b"));
    ASSERT_TRUE(RegWriteString(RegistryHive::LocalMachine, kKey, L"uid", L"0123456789ABCDEF"));
    ::umask(077);
    ASSERT_TRUE(RegWriteString(RegistryHive::LocalMachine, kKey, L"Version", L"1.0"));
    ::umask(old);
    EXPECT_EQ(ModeOf("config/TaviOCR/user.reg"), 0600u);
    EXPECT_EQ(ModeOf("machine/machine.reg"), 0644u);
    // An old store written wider is narrowed at its next write.
    ::chmod(NarrowPath("config/TaviOCR/user.reg").c_str(), 0644);
    ASSERT_TRUE(RegWriteDword(RegistryHive::CurrentUser, kKey, L"LoginType", 0));
    EXPECT_EQ(ModeOf("config/TaviOCR/user.reg"), 0600u);
}

TEST_F(RegistryTest, StringAndDwordValuesRoundTrip) {
    ASSERT_TRUE(RegWriteString(RegistryHive::CurrentUser, kKey, L"Account", L"ann@example.com"));
    ASSERT_TRUE(RegWriteDword(RegistryHive::CurrentUser, kKey, L"LoginType", 4294967295u));
    ASSERT_TRUE(RegWriteString(RegistryHive::LocalMachine, kKey, L"uid", L"0123456789ABCDEF"));
    EXPECT_EQ(RegReadString(RegistryHive::CurrentUser, kKey, L"Account", 520), L"ann@example.com");
    EXPECT_EQ(RegReadDword(RegistryHive::CurrentUser, kKey, L"LoginType"), 4294967295u);
    EXPECT_EQ(RegReadString(RegistryHive::LocalMachine, kKey, L"uid", 520), L"0123456789ABCDEF");
    // The hives are separate stores; value names compare without case.
    EXPECT_FALSE(RegReadString(RegistryHive::CurrentUser, kKey, L"uid", 520));
    EXPECT_EQ(RegReadString(RegistryHive::LocalMachine, L"software\\taviocr", L"UID", 520),
              L"0123456789ABCDEF");
}

TEST_F(RegistryTest, AnyTextSurvivesIncludingBreaksAndEdgeBlanks) {
    const std::wstring text = L"  line one\nline two\r\\n back\\slash 中\0end  ";
    const std::wstring withNul = text + std::wstring(1, L'\0') + L"x ";
    ASSERT_TRUE(RegWriteString(RegistryHive::CurrentUser, kKey, L"Token", withNul));
    EXPECT_EQ(RegReadString(RegistryHive::CurrentUser, kKey, L"Token", 4096), withNul);
    ASSERT_TRUE(RegWriteString(RegistryHive::CurrentUser, kKey, L"Empty", L""));
    EXPECT_EQ(RegReadString(RegistryHive::CurrentUser, kKey, L"Empty", 2), L"");
}

TEST_F(RegistryTest, ReadsHonourTheBufferAndTheType) {
    RegWriteString(RegistryHive::CurrentUser, kKey, L"Name", std::wstring(259, L'a'));
    EXPECT_TRUE(RegReadString(RegistryHive::CurrentUser, kKey, L"Name", 520));
    RegWriteString(RegistryHive::CurrentUser, kKey, L"Name", std::wstring(260, L'a'));
    EXPECT_FALSE(RegReadString(RegistryHive::CurrentUser, kKey, L"Name", 520));
    RegWriteDword(RegistryHive::CurrentUser, kKey, L"Day", 5);
    EXPECT_FALSE(RegReadString(RegistryHive::CurrentUser, kKey, L"Day", 520));
    EXPECT_FALSE(RegReadDword(RegistryHive::CurrentUser, kKey, L"Name"));
}

TEST_F(RegistryTest, DeleteRemovesTheValue) {
    RegWriteDword(RegistryHive::CurrentUser, kKey, L"UpdateDay", 3);
    EXPECT_TRUE(RegDeleteValue(RegistryHive::CurrentUser, kKey, L"UpdateDay"));
    EXPECT_FALSE(RegReadDword(RegistryHive::CurrentUser, kKey, L"UpdateDay"));
    EXPECT_TRUE(RegDeleteValue(RegistryHive::CurrentUser, kKey, L"NeverThere"));
}

TEST_F(RegistryTest, CorruptStoreReadsAsAbsentAndStillTakesWrites) {
    std::string garbage = "\xFF\xFE";
    for (int i = 0; i < 2048; ++i) garbage += static_cast<char>((i * 131) & 0xFF);
    WriteBytes(RegistryStorePath(RegistryHive::CurrentUser), garbage);
    EXPECT_FALSE(RegReadString(RegistryHive::CurrentUser, kKey, L"Account", 520));
    EXPECT_FALSE(RegReadDword(RegistryHive::CurrentUser, kKey, L"LoginType"));
    WriteBytes(RegistryStorePath(RegistryHive::CurrentUser),
               "[Software\\TaviOCR]\nLoginType=dword:12x\nAccount=plain\n");
    EXPECT_FALSE(RegReadDword(RegistryHive::CurrentUser, kKey, L"LoginType"));
    EXPECT_FALSE(RegReadString(RegistryHive::CurrentUser, kKey, L"Account", 520));
    EXPECT_TRUE(RegWriteDword(RegistryHive::CurrentUser, kKey, L"LoginType", 2));
    EXPECT_EQ(RegReadDword(RegistryHive::CurrentUser, kKey, L"LoginType"), 2u);
}

TEST_F(RegistryTest, UnreadableOrUnwritableStoreFailsQuietly) {
    std::filesystem::create_directories(WideToUtf8(RegistryStorePath(RegistryHive::CurrentUser)));
    EXPECT_FALSE(RegReadString(RegistryHive::CurrentUser, kKey, L"Account", 520));
    EXPECT_FALSE(RegWriteString(RegistryHive::CurrentUser, kKey, L"Account", L"x"));

    // A machine folder that cannot exist (below a regular file).
    WriteBytes(Path("blocker"), "x");
    ::setenv("TAVIOCR_MACHINE_DIR", NarrowPath("blocker/machine").c_str(), 1);
    EXPECT_FALSE(RegWriteString(RegistryHive::LocalMachine, kKey, L"uid", L"0123456789ABCDEF"));
    EXPECT_FALSE(RegReadString(RegistryHive::LocalMachine, kKey, L"uid", 520));
}

TEST_F(RegistryTest, TwoProcessesWritingAtOnceLoseNothing) {
    ASSERT_TRUE(RunConcurrently(2, [](int writer) {
        for (int i = 0; i < 40; ++i) {
            const std::wstring name = L"v" + std::to_wstring(writer) + L"_" + std::to_wstring(i);
            if (!RegWriteDword(RegistryHive::CurrentUser, kKey, name, static_cast<unsigned>(i)))
                return 1;
        }
        return 0;
    }));
    for (int writer = 0; writer < 2; ++writer)
        for (int i = 0; i < 40; ++i)
            EXPECT_EQ(RegReadDword(RegistryHive::CurrentUser, kKey,
                                   L"v" + std::to_wstring(writer) + L"_" + std::to_wstring(i)),
                      static_cast<unsigned>(i));
}
