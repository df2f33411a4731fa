// Usage reports as the statistics server receives them.

#include "update/usage_reporter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "platform/profile.h"
#include "platform/registry.h"
#include "recognition/daily_count.h"
#include "update/report_body.h"
#include "update_fixture.h"

class UsageReporterTest : public UpdateTest {
protected:
    void SetUp() override {
        UpdateTest::SetUp();
        reporter_.SetStatsHost(servers_.Host());
        reporter_.SetChannelCode(L"1007");
        reporter_.SetVersion(L"1.2.9");
        reporter_.SetMachineCode(L"0123456789ABCDEF");
        reporter_.SetOs(L"Debian GNU/Linux 12 (bookworm)");
    }
    CUsageReporter reporter_;
};

TEST(ReportBody, AesEcbWithPkcs7PaddingInBase64) {
    const std::string json(32, 'x');  // two full blocks get a third of padding
    const std::string body = EncipherReportBody(json);
    EXPECT_EQ(body.size(), 64u);
    EXPECT_EQ(DecipherReportBody(body), json);
    EXPECT_NE(EncipherReportBody("{}"), EncipherReportBody("{ }"));
}

TEST(AdId, TakenFromTheInstallersName) {
    EXPECT_EQ(AdIdFromInstallerName(L"C:\\Downloads\\Setup_12345.exe"), 12345);
    EXPECT_EQ(AdIdFromInstallerName(L"/tmp/Setup-0.exe"), 0) << "not positive";
    EXPECT_EQ(AdIdFromInstallerName(L"Setup.exe"), 0);
    EXPECT_EQ(AdIdFromInstallerName(L"Setup_12a.exe"), 0);
}

TEST_F(UsageReporterTest, ActionReportsArriveWithEveryKeyInItsType) {
    ASSERT_TRUE(RegWriteString(RegistryHive::LocalMachine, L"Software\\TaviOCR", L"InstallerName",
                               L"TaviOCRSetup_4242.exe"));
    EXPECT_TRUE(reporter_.SendAction(CUsageReporter::kDailyStart));
    EXPECT_TRUE(reporter_.SendAction(CUsageReporter::kInstall, true));
    servers_.reportAnswer = "0";
    EXPECT_FALSE(reporter_.SendAction(CUsageReporter::kUninstall)) << "an answer of 0 is a refusal";
    const auto reports = servers_.Reports("action.ashx");
    ASSERT_EQ(reports.size(), 3u);
    const Json::Value& daily = reports[0];
    EXPECT_EQ(daily["AppId"], 18);
    EXPECT_EQ(daily["AppApiId"], 1061);
    EXPECT_EQ(daily["TypeId"], 3);
    EXPECT_EQ(daily["OsBit"], 64);
    EXPECT_EQ(daily["ChannelCode"], "1007");
    EXPECT_EQ(daily["Version"], "1.2.9");
    EXPECT_EQ(daily["MachineCode"], "0123456789ABCDEF");
    EXPECT_EQ(daily["Os"], "Debian GNU/Linux 12 (bookworm)");
    EXPECT_TRUE(daily["AdId"].isIntegral());
    EXPECT_EQ(daily["AdId"], 0) << "derived only for the installation report";
    EXPECT_EQ(reports[1]["AdId"], 4242);
    EXPECT_EQ(reports[2]["AdId"], 4242) << "stored once derived";
    EXPECT_EQ(RegReadString(RegistryHive::CurrentUser, L"Software\\TaviOCR", L"AdId", 520),
              L"4242");
}

TEST_F(UsageReporterTest, EachStoredDayIsReportedAndDeletedOnlyWhenCounted) {
    const std::wstring& config = GlobalSettings().ConfigPath;
    WritePrivateProfileString(L"Count", L"2026-12-6", L"2", config);
    WritePrivateProfileString(L"Count", L"2026-12-7", L"0", config);
    WritePrivateProfileString(L"Count", L"2026-12-8", L"5", config);
    reporter_.SendDailyCounts();
    const auto reports = servers_.Reports("ocr.ashx");
    ASSERT_EQ(reports.size(), 2u) << "a day without recognitions is not sent";
    EXPECT_EQ(reports[0]["Account"], "Guest");
    EXPECT_EQ(reports[0]["TypeId"], 4);
    EXPECT_EQ(reports[0]["AgentId"], 1007);
    EXPECT_EQ(reports[0]["SourceId"], 3);
    EXPECT_EQ(reports[0]["Times"], 2);
    EXPECT_EQ(reports[0]["Date"], "2026-12-6");
    EXPECT_TRUE(GetPrivateProfileKeys(L"Count", config).size() == 1u) << "the zero day stays";

    WritePrivateProfileString(L"Count", L"2026-12-9", L"3", config);
    CurrentUser() = {L"reader@example.com", L"Reader", L"token", static_cast<SignInType>(2)};
    servers_.reportAnswer = "0";
    reporter_.SendDailyCounts();
    EXPECT_EQ(servers_.Reports("ocr.ashx").back()["Account"], "reader@example.com");
    EXPECT_EQ(servers_.Reports("ocr.ashx").back()["TypeId"], 3);
    EXPECT_EQ(GetPrivateProfileInt(L"Count", L"2026-12-9", 0, config), 3) << "refused: kept";
}

TEST_F(UsageReporterTest, TodaysRecognitionsAreAddedToTheStoredDayOnlyWhenThereAreAny) {
    const std::wstring& config = GlobalSettings().ConfigPath;
    const int before = RecognitionsToday();
    if (before == 0) {
        StoreTodaysCount(config);
        EXPECT_TRUE(GetPrivateProfileKeys(L"Count", config).empty()) << "no recognitions, no key";
    }
    AddRecognitionToday();
    AddRecognitionToday();
    StoreTodaysCount(config);
    StoreTodaysCount(config);
    const auto keys = GetPrivateProfileKeys(L"Count", config);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(GetPrivateProfileInt(L"Count", keys[0], 0, config), before + 2) << "counted once";
}

// A run that passes midnight keeps the recognitions of both days.
TEST_F(UsageReporterTest, ARunPastMidnightStoresTheCountOfEachDay) {
    const std::wstring& config = GlobalSettings().ConfigPath;
    TakeRecognitionCounts();
    std::tm evening{};
    evening.tm_year = 2026 - 1900, evening.tm_mon = 11, evening.tm_mday = 8;
    evening.tm_hour = 23, evening.tm_min = 59, evening.tm_isdst = -1;
    const std::time_t late = std::mktime(&evening);
    AddRecognitionAt(late);
    AddRecognitionAt(late);
    AddRecognitionAt(late + 120);
    StoreTodaysCount(config);
    EXPECT_EQ(GetPrivateProfileInt(L"Count", L"2026-12-8", 0, config), 2);
    EXPECT_EQ(GetPrivateProfileInt(L"Count", L"2026-12-9", 0, config), 1);
}

TEST_F(UsageReporterTest, UninstallingSendsItsReport) {
    std::ofstream(NarrowPath("endpoints.ini"))
        << "[Hosts]\nStats=" << servers_.Host() << "\nUpdate=\n";
    ::setenv("TAVIOCR_ENDPOINTS", NarrowPath("endpoints.ini").c_str(), 1);
    ASSERT_EQ(std::system((std::string(TAVIOCR_OUT_DIR) + "/taviocr /uninstall").c_str()), 0);
    const auto reports = servers_.Reports("action.ashx");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0]["TypeId"], CUsageReporter::kUninstall);
    EXPECT_FALSE(reports[0]["Os"].asString().empty()) << "the system's name";
}
