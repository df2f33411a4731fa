// The update check against the loopback update server.

#include "update/update.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>

#include "app/diagnostics.h"
#include "app/program_version.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "update/file_download.h"
#include "update/usage_reporter.h"
#include "update/version_compare.h"
#include "update_fixture.h"

namespace {

// Answers questions as told and remembers what was shown and started.
class RecordingDisplay : public UpdateDisplay {
public:
    bool ShowMessage(std::wstring_view key, int) override {
        std::lock_guard lock(mutex);
        keys.emplace_back(key);
        return answerYes;
    }
    void ShowMessageWith(std::wstring_view key, std::wstring_view argument) override {
        std::lock_guard lock(mutex);
        keys.emplace_back(key);
        arguments.emplace_back(argument);
    }
    void ShowBalloon(const std::wstring&, const std::wstring&) override { ++balloons; }
    void HideBalloon() override {}
    void ShowBusy(bool on) override {
        std::lock_guard lock(mutex);
        if (busy.empty() || busy.back() != on) busy.push_back(on);
    }
    bool StartInstaller(const std::wstring& path) override {
        started.push_back(path);
        return installerStarts;
    }
    void EndProgram() override { ++ended; }
    std::vector<std::wstring> Keys() {
        std::lock_guard lock(mutex);
        return keys;
    }
    std::mutex mutex;
    std::vector<std::wstring> keys;
    std::vector<std::wstring> arguments;
    std::vector<bool> busy;
    std::vector<std::wstring> started;
    bool answerYes = false;
    bool installerStarts = true;
    int balloons = 0;
    int ended = 0;
};

// The start of a Debian archive: the "ar" magic and its first member.
std::string DebianArchive(std::size_t size = 4096) {
    std::string bytes =
        "!<arch>\ndebian-binary   1733700000  0     0     100644  4         `\n2.0\n";
    bytes.resize(size, 'p');
    return bytes;
}

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
        savedLog_ = LogPath();
        SetLogPath(Path("data/TaviOCR/run.log"));
        UsageReporter().SetStatsHost(servers_.Host());
        update_.SetUpdateHost(servers_.Host());
        update_.SetPublicKey(servers_.PublicKeyBase64());
        update_.SetDisplay(&display_);
        servers_.Publish(DebianArchive());
    }
    void TearDown() override {
        update_.Wait();
        UsageReporter().SetStatsHost("");
        SetLogPath(savedLog_);
        UpdateTest::TearDown();
    }
    void Manual() {
        update_.CheckNow();
        update_.Wait();
    }
    void AtStart(bool windowShown) {
        update_.StartOfRun(windowShown);
        update_.Wait();
    }
    // Nothing of a refused download is left in the data folder.
    std::vector<std::string> DataFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(NarrowPath("data/TaviOCR")))
            if (!entry.path().filename().string().starts_with(".config.ini"))
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::wstring savedLog_;
    RecordingDisplay display_;
    CUpdate update_;
};

TEST_F(CUpdateTest, ASignedPackageIsKeptPrivatelyOfferedAndInstalled) {
    servers_.versionPage = "version=1.2.10";  // newer part by part, older as text
    display_.answerYes = true;
    Manual();
    EXPECT_EQ(display_.Keys(), std::vector<std::wstring>{L"HasUpdate"});
    EXPECT_EQ(display_.started, std::vector<std::wstring>{update_.PackagePath()});
    EXPECT_EQ(display_.ended, 1) << "the installer replaces the program";
    EXPECT_EQ(display_.busy, (std::vector<bool>{true, false}));
    EXPECT_EQ(ReadBytes(update_.PackagePath()), servers_.package);
    struct stat st {};
    ASSERT_EQ(::stat(NarrowPath("data/TaviOCR/taviocr_amd64.deb").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(DataFiles(), (std::vector<std::string>{"cd.dat", "config.ini", "taviocr_amd64.deb"}));
    EXPECT_TRUE(update_.PackagePending());
    EXPECT_EQ(servers_.Reports("action.ashx").back()["TypeId"],
              CUsageReporter::kInstallerDownloaded);

    // Pending now: offered at the next start, before any check.
    display_.keys.clear();
    const int pages = servers_.Requests("/ocr/linux/newversion.htm");
    AtStart(true);
    EXPECT_EQ(display_.Keys(), std::vector<std::wstring>{L"HasUpdate"});
    EXPECT_EQ(display_.ended, 2);
    EXPECT_EQ(servers_.Requests("/ocr/linux/newversion.htm"), pages);

    // Installed: the package goes and nothing is offered any more.
    RegWriteString(RegistryHive::LocalMachine, L"Software\\TaviOCR", L"Version", L"1.2.10");
    display_.keys.clear();
    AtStart(true);
    EXPECT_TRUE(display_.Keys().empty());
    EXPECT_FALSE(FileExists(update_.PackagePath()));
}

// Whatever is wrong with the package or its signature, nothing is kept or
// offered, the user hears that it failed and the log says why.
TEST_F(CUpdateTest, PackagesThatDoNotVerifyAreNeitherKeptNorOffered) {
    servers_.versionPage = "version=1.3";
    const std::string archive = DebianArchive();
    const std::vector<std::pair<std::string, std::function<void()>>> cases = {
        {"signature missing or not valid",
         [&] { servers_.signature = servers_.Sign(archive + "x"); }},
        {"signature missing or not valid", [&] { servers_.signature = std::string(64, '\x5a'); }},
        {"signature missing or not valid", [&] { servers_.signature.resize(63); }},
        {"no signature", [&] { servers_.signatureStatus = 404; }},
        {"not a Debian package", [&] { servers_.Publish("#!/bin/sh\nrm -rf ~\n"); }},
        {"download failed", [&] { servers_.packageLength = false; }},
        // Signed, but not with the key this program trusts.
        {"signature missing or not valid", [&] { update_.SetPublicKey(""); }},
    };
    for (const auto& [reason, spoil] : cases) {
        servers_.Publish(archive);
        servers_.signatureStatus = 200;
        servers_.packageLength = true;
        update_.SetPublicKey(servers_.PublicKeyBase64());
        spoil();
        display_.keys.clear();
        Manual();
        EXPECT_EQ(display_.Keys(), std::vector<std::wstring>{L"UpdateFail"}) << reason;
        EXPECT_EQ(DataFiles(), (std::vector<std::string>{"cd.dat", "run.log"})) << reason;
        EXPECT_FALSE(update_.PackagePending());
        EXPECT_NE(ReadBytes(Path("data/TaviOCR/run.log")).find(reason), std::string::npos)
            << reason;
        std::filesystem::remove(NarrowPath("data/TaviOCR/run.log"));
    }
    EXPECT_TRUE(display_.started.empty());
}

TEST_F(CUpdateTest, EveryManualOutcomeIsSaid) {
    servers_.versionPage = "Version=1.3";
    Manual();
    servers_.versionPage = "version=1.2.9";
    Manual();
    servers_.versionPage = "version=1.3";
    servers_.packageStatus = 404;
    Manual();
    EXPECT_EQ(display_.Keys(),
              (std::vector<std::wstring>{L"NoVersion", L"NotUpdate", L"UpdateFail"}));
    EXPECT_EQ(display_.busy, (std::vector<bool>{true, false, true, false, true, false}))
        << "busy until each answer";
}

// A server that takes the request and never answers: the user hears so
// within the page's time limit, and nothing more is asked of that server.
TEST_F(CUpdateTest, AHungServerIsReportedWithinTheTimeLimit) {
    update_.SetPageTimeLimit(std::chrono::milliseconds(300));
    servers_.holdVersionPage = true;
    update_.CheckNow();
    while (display_.Keys().empty()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    servers_.holdVersionPage = false;
    update_.Wait();
    EXPECT_EQ(display_.Keys(), std::vector<std::wstring>{L"NoVersion"});
    EXPECT_EQ(servers_.Requests("/ocr/linux/newversion.htm"), 1) << "no fallback after the time";
    EXPECT_EQ(servers_.Requests("/ocr/linux/cd.cab"), 0);
}

TEST_F(CUpdateTest, WhenNoInstallerTakesThePackageTheProgramStaysAndSaysHow) {
    servers_.versionPage = "version=1.3";
    display_.answerYes = true;
    display_.installerStarts = false;
    Manual();
    EXPECT_EQ(display_.Keys(), (std::vector<std::wstring>{L"HasUpdate", L"InstallerNotStarted"}));
    ASSERT_EQ(display_.arguments.size(), 1u);
    EXPECT_EQ(display_.arguments[0], L"sudo apt-get install '" + update_.PackagePath() + L"'");
    EXPECT_EQ(display_.ended, 0);
    EXPECT_TRUE(update_.PackagePending());
}

// Declined: not asked again at every start, but the next day, or at once from
// the menu; never over a window still in the tray.
TEST_F(CUpdateTest, ADeclinedVersionIsOfferedAtMostOnceADay) {
    servers_.versionPage = "version=1.3";
    Manual();
    EXPECT_EQ(display_.Keys(), std::vector<std::wstring>{L"HasUpdate"});
    AtStart(true);
    AtStart(false);
    EXPECT_EQ(display_.Keys().size(), 1u);
    WritePrivateProfileString(L"Main", L"UpdateDeclinedOn", L"2000-01-01",
                              GlobalSettings().ConfigPath);
    AtStart(false);
    EXPECT_EQ(display_.Keys().size(), 1u) << "the window is not on the screen";
    AtStart(true);
    Manual();
    EXPECT_EQ(display_.Keys(), (std::vector<std::wstring>(3, L"HasUpdate")));
    EXPECT_EQ(servers_.Requests("/ocr/linux/taviocr_amd64.deb"), 1) << "kept, not fetched again";
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
    servers_.package = std::string(64 * 1024, 'x');
    const std::wstring target = Path("data/TaviOCR/big.bin");
    const std::wstring url = Utf8ToWide(servers_.Host() + "/ocr/linux/taviocr_amd64.deb");
    const auto limits = [](qint64 bytes) {
        return DownloadLimits{bytes, std::chrono::seconds(60)};
    };
    for (const bool announced : {true, false}) {
        servers_.packageLength = announced;
        EXPECT_FALSE(DownloadFile(url, target, limits(1024))) << announced;
        EXPECT_FALSE(std::filesystem::exists(NarrowPath("data/TaviOCR/big.bin")));
        EXPECT_FALSE(std::filesystem::exists(NarrowPath("data/TaviOCR/big.bin.upd")));
    }
    servers_.packageLength = true;
    EXPECT_TRUE(DownloadFile(url, target, limits(64 * 1024)));
    EXPECT_EQ(ReadBytes(target), servers_.package);
    EXPECT_FALSE(std::filesystem::exists(NarrowPath("data/TaviOCR/big.bin.upd")));
}

// As the window makes it: in the program's own daily-check process, which
// finds the servers, key, settings and data folder the window would use.
TEST_F(CUpdateTest, TheDailyCheckRunsOnceADayAndAManualOneMeanwhileSaysSo) {
    const std::string endpoints = WideToUtf8(Path("endpoints.ini"));
    std::ofstream(endpoints) << "[Hosts]\nStats=" << servers_.Host()
                             << "\nUpdate=" << servers_.Host()
                             << "\n[Update]\nPublicKey=" << servers_.PublicKeyBase64() << "\n";
    ::setenv("TAVIOCR_ENDPOINTS", endpoints.c_str(), 1);
    update_.SetDailyCheckCommand({std::string(TAVIOCR_OUT_DIR) + "/taviocr", "--daily-check"});
    RegWriteString(RegistryHive::CurrentUser, L"Software\\TaviOCR", L"SendInstallMessage", L"1");
    servers_.holdVersionPage = true;
    update_.StartOfRun(true);
    while (servers_.Requests("/ocr/linux/newversion.htm") == 0) std::this_thread::yield();
    update_.CheckNow();
    EXPECT_EQ(display_.Keys(), std::vector<std::wstring>{L"Updating"});
    servers_.holdVersionPage = false;
    update_.Wait();
    EXPECT_TRUE(display_.started.empty()) << "silent: nothing offered during the check";
    EXPECT_TRUE(update_.PackagePending()) << "downloaded for the next start";
    const auto actions = servers_.Reports("action.ashx");
    ASSERT_GE(actions.size(), 3u);
    EXPECT_EQ(actions[0]["TypeId"], CUsageReporter::kInstall);
    EXPECT_EQ(actions[1]["TypeId"], CUsageReporter::kDailyStart);
    EXPECT_FALSE(
        RegReadString(RegistryHive::CurrentUser, L"Software\\TaviOCR", L"SendInstallMessage", 520));

    // The same day again: no check.
    std::filesystem::remove(NarrowPath("data/TaviOCR/taviocr_amd64.deb"));
    const int pages = servers_.Requests("/ocr/linux/newversion.htm");
    AtStart(true);
    EXPECT_EQ(servers_.Requests("/ocr/linux/newversion.htm"), pages);
}
