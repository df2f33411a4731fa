// The update check against the loopback update server.

#include "update/update.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <mutex>

#include "app/program_version.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "update/installer_download.h"
#include "update/usage_reporter.h"
#include "update/version_compare.h"
#include "update_fixture.h"

namespace {

// Answers questions as told and remembers what was shown and opened.
class RecordingDisplay : public UpdateDisplay {
public:
    bool ShowMessage(std::wstring_view key, int) override {
        std::lock_guard lock(mutex);
        keys.emplace_back(key);
        return answerYes;
    }
    void ShowBalloon(const std::wstring&, const std::wstring&) override { ++balloons; }
    void HideBalloon() override {}
    bool OpenFile(const std::wstring& path) override {
        opened.push_back(path);
        return true;
    }
    std::vector<std::wstring> Keys() {
        std::lock_guard lock(mutex);
        return keys;
    }
    std::mutex mutex;
    std::vector<std::wstring> keys;
    std::vector<std::wstring> opened;
    bool answerYes = false;
    int balloons = 0;
};

}  // namespace

TEST(CompareVersions, PartByPartAsNumbers) {
    EXPECT_GT(CompareVersions(L"1.2.10", L"1.2.9"), 0);
    EXPECT_GT(CompareVersions(L"1.3", L"1.2.9"), 0);
    EXPECT_LT(CompareVersions(L"1.2", L"1.2.1"), 0);
    EXPECT_EQ(CompareVersions(L"1.02", L"1.2"), 0);
    EXPECT_LT(CompareVersions(L"1.2.beta", L"1.2.rc"), 0) << "other parts compare as text";
    EXPECT_EQ(CompareVersions(L"2.0", L"2.0"), 0);
}

class CUpdateTest : public UpdateTest {
protected:
    void SetUp() override {
        UpdateTest::SetUp();
        ASSERT_TRUE(
            RegWriteString(RegistryHive::LocalMachine, L"Software\\TaviOCR", L"Version", L"1.2.9"));
        UsageReporter().SetStatsHost(servers_.Host());
        update_.SetUpdateHost(servers_.Host());
        update_.SetDisplay(&display_);
    }
    void TearDown() override {
        update_.Wait();
        UsageReporter().SetStatsHost("");
        UpdateTest::TearDown();
    }
    void Manual() {
        update_.CheckNow();
        update_.Wait();
    }
    RecordingDisplay display_;
    CUpdate update_;
};

TEST_F(CUpdateTest, ANewerVersionIsDownloadedPrivatelyReportedAndOffered) {
    servers_.versionPage = "version=1.2.10";  // newer part by part, older as text
    display_.answerYes = true;
    Manual();
    EXPECT_EQ(display_.Keys(), std::vector<std::wstring>{L"HasUpdate"});
    EXPECT_EQ(display_.opened, std::vector<std::wstring>{update_.InstallerPath()});
    EXPECT_EQ(ReadBytes(update_.InstallerPath()), servers_.installer);
    struct stat st {};
    ASSERT_EQ(::stat(NarrowPath("data/TaviOCR/TaviOCRSetup.exe").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "a file that is run is this user's alone";
    EXPECT_TRUE(update_.InstallerPending());
    EXPECT_EQ(servers_.Reports("action.ashx").back()["TypeId"],
              CUsageReporter::kInstallerDownloaded);
    EXPECT_TRUE(FileExists(update_.RemoteConfigPath()));

    // Pending now: offered before any check.
    display_.keys.clear();
    const int pages = servers_.Requests("/ocr/windows/newversion.htm");
    EXPECT_TRUE(update_.StartOfRun()) << "the user starts it: the program ends";
    EXPECT_EQ(display_.Keys(), std::vector<std::wstring>{L"HasUpdate"});
    EXPECT_EQ(servers_.Requests("/ocr/windows/newversion.htm"), pages);
}

TEST_F(CUpdateTest, EveryManualOutcomeIsSaid) {
    servers_.versionPage = "Version=1.3";
    Manual();
    servers_.versionPage = "version=1.2.9";
    Manual();
    servers_.versionPage = "version=1.3";
    WriteBytes(update_.InstallerPath(), "old installer");
    servers_.installerStatus = 404;
    Manual();
    EXPECT_FALSE(FileExists(update_.InstallerPath())) << "the old installer is gone";
    servers_.installerStatus = 200;
    servers_.installerLength = false;
    Manual();
    EXPECT_FALSE(FileExists(update_.InstallerPath())) << "no length, no success";
    EXPECT_EQ(display_.Keys(), (std::vector<std::wstring>{L"NoVersion", L"NotUpdate", L"UpdateFail",
                                                          L"UpdateFail"}));
}

// The version page may end in a line break; the running version (the
// installed one, else the one built) or an older one is never offered.
TEST_F(CUpdateTest, TheRunningVersionIsNeverOfferedAgain) {
    servers_.versionPage = "version=1.2.9\r\n";
    Manual();
    ASSERT_TRUE(RegDeleteValue(RegistryHive::LocalMachine, L"Software\\TaviOCR", L"Version"));
    EXPECT_EQ(ProgramVersion(), BuiltVersion());
    servers_.versionPage = "version= " + WideToUtf8(BuiltVersion()) + "\n";
    Manual();
    servers_.versionPage = "version=0.0.1";
    Manual();
    servers_.versionPage = "version=999.0";
    Manual();
    EXPECT_EQ(display_.Keys(),
              (std::vector<std::wstring>{L"NotUpdate", L"NotUpdate", L"NotUpdate", L"HasUpdate"}));
}

// A download larger than its cap (announced, or streamed without a length) is
// refused; nothing is kept, not even a partial or empty ".upd".
TEST_F(CUpdateTest, DownloadsOverTheirCapAreRefusedAndLeaveNothing) {
    servers_.installer = std::string(64 * 1024, 'x');
    const std::wstring target = Path("data/TaviOCR/big.bin");
    const std::wstring url = Utf8ToWide(servers_.Host() + "/ocr/windows/TaviOCRSetup.exe");
    for (const bool announced : {true, false}) {
        servers_.installerLength = announced;
        EXPECT_FALSE(DownloadFile(url, target, 1024)) << announced;
        EXPECT_FALSE(std::filesystem::exists(NarrowPath("data/TaviOCR/big.bin")));
        EXPECT_FALSE(std::filesystem::exists(NarrowPath("data/TaviOCR/big.bin.upd")));
    }
    servers_.installerLength = true;
    EXPECT_TRUE(DownloadFile(url, target, 64 * 1024));
    EXPECT_EQ(ReadBytes(target), servers_.installer);
    EXPECT_FALSE(std::filesystem::exists(NarrowPath("data/TaviOCR/big.bin.upd")));
}

TEST_F(CUpdateTest, TheDailyCheckRunsOnceADayAndAManualOneMeanwhileSaysSo) {
    RegWriteString(RegistryHive::CurrentUser, L"Software\\TaviOCR", L"SendInstallMessage", L"1");
    servers_.holdVersionPage = true;
    EXPECT_FALSE(update_.StartOfRun());
    while (servers_.Requests("/ocr/windows/newversion.htm") == 0) std::this_thread::yield();
    update_.CheckNow();
    EXPECT_EQ(display_.Keys(), std::vector<std::wstring>{L"Updating"});
    servers_.holdVersionPage = false;
    update_.Wait();
    EXPECT_TRUE(display_.opened.empty()) << "silent: nothing offered during the check";
    EXPECT_TRUE(update_.InstallerPending()) << "downloaded for the next start";
    const auto actions = servers_.Reports("action.ashx");
    ASSERT_GE(actions.size(), 3u);
    EXPECT_EQ(actions[0]["TypeId"], CUsageReporter::kInstall);
    EXPECT_EQ(actions[1]["TypeId"], CUsageReporter::kDailyStart);
    EXPECT_FALSE(
        RegReadString(RegistryHive::CurrentUser, L"Software\\TaviOCR", L"SendInstallMessage", 520));

    // The same day again: no check.
    std::filesystem::remove(NarrowPath("data/TaviOCR/TaviOCRSetup.exe"));
    const int pages = servers_.Requests("/ocr/windows/newversion.htm");
    EXPECT_FALSE(update_.StartOfRun());
    update_.Wait();
    EXPECT_EQ(servers_.Requests("/ocr/windows/newversion.htm"), pages);
}
