#include "update/usage_reporter.h"

#include <charconv>
#include <ctime>

#include "account/signed_in_user.h"
#include "app/process_globals.h"
#include "app/settings.h"
#include "net/curl_client.h"
#include "net/system_http.h"
#include "platform/file_io.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "recognition/daily_count.h"
#include "update/report_body.h"

namespace {

constexpr std::wstring_view kProductKey = L"Software\\TaviOCR";
constexpr std::wstring_view kCountSection = L"Count";

// An answer counts when it reads as an integer above 0.
bool Counted(const std::string& answer) {
    const std::string_view text(answer);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end != text.data() && value > 0;
}

std::int64_t PositiveNumber(std::wstring_view text) {
    const std::string digits = WideToUtf8(text);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return error == std::errc() && end == digits.data() + digits.size() && value > 0 ? value : 0;
}

// Account kind of the sign-in → the report's type; 4 without a sign-in.
int ReportTypeOf(const SignedInUser& user) {
    if (!user.IsSignedIn()) return 4;
    // The social services by the account service's numbers; the report
    // numbers them its own way.
    switch (static_cast<std::uint32_t>(user.loginType)) {
        case 1:
            return 1;
        case 2:
            return 3;
        case 3:
            return 2;
        default:
            return 4;
    }
}

}  // namespace

CUsageReporter& UsageReporter() {
    static CUsageReporter reporter;
    return reporter;
}

void CUsageReporter::SetChannelCode(const std::wstring& text) { channelCode_ = WideToUtf8(text); }
void CUsageReporter::SetVersion(const std::wstring& text) { version_ = WideToUtf8(text); }
void CUsageReporter::SetMachineCode(const std::wstring& text) { machineCode_ = WideToUtf8(text); }
void CUsageReporter::SetOs(const std::wstring& text) { os_ = WideToUtf8(text); }

std::int64_t AdIdFromInstallerName(const std::wstring& installerName) {
    std::wstring name = FileNamePart(installerName);
    if (const std::size_t backslash = name.rfind(L'\\'); backslash != std::wstring::npos)
        name.erase(0, backslash + 1);
    if (const std::size_t dot = name.rfind(L'.'); dot != std::wstring::npos) name.erase(dot);
    std::size_t mark = name.find(L'_');
    if (mark == std::wstring::npos) mark = name.find(L'-');
    if (mark == std::wstring::npos) return 0;
    return PositiveNumber(std::wstring_view(name).substr(mark + 1));
}

std::int64_t AdvertisingId(bool deriveAdId) {
    if (const auto stored = RegReadString(RegistryHive::CurrentUser, kProductKey, L"AdId", 520))
        return PositiveNumber(*stored);
    if (!deriveAdId) return 0;
    const auto installer =
        RegReadString(RegistryHive::LocalMachine, kProductKey, L"InstallerName", 520);
    const std::int64_t id = installer ? AdIdFromInstallerName(*installer) : 0;
    if (id > 0)
        RegWriteString(RegistryHive::CurrentUser, kProductKey, L"AdId", std::to_wstring(id));
    return id;
}

Json::Value CUsageReporter::ActionReport(int type, bool deriveAdId) const {
    Json::Value report(Json::objectValue);
    report["AppId"] = kAppId;
    report["AppApiId"] = kAppApiId;
    report["TypeId"] = type;
    report["OsBit"] = osBit_;
    report["ChannelCode"] = channelCode_;
    report["Version"] = version_;
    report["MachineCode"] = machineCode_;
    report["Os"] = os_;
    report["AdId"] = Json::Int64(AdvertisingId(deriveAdId));
    return report;
}

Json::Value CUsageReporter::RecognitionReport(const std::wstring& day, int times) const {
    const SignedInUser& user = CurrentUser();
    Json::Value report(Json::objectValue);
    std::int64_t agent = 0;
    std::from_chars(channelCode_.data(), channelCode_.data() + channelCode_.size(), agent);
    report["AgentId"] = Json::Int64(agent);
    report["SourceId"] = 3;
    report["TypeId"] = ReportTypeOf(user);
    report["Account"] = user.IsSignedIn() ? WideToUtf8(user.account) : std::string("Guest");
    report["Times"] = times;
    report["Date"] = WideToUtf8(day);
    return report;
}

bool CUsageReporter::SendAction(int type, bool deriveAdId) {
    pendingBody_ = EncipherReportBody(ReportJsonText(ActionReport(type, deriveAdId)));
    if (statsHost_.empty()) return false;  // no statistics server configured
    std::wstring answer;
    return PostForm(Utf8ToWide(Url("action.ashx")), pendingBody_, answer) &&
           Counted(WideToUtf8(answer));
}

void CUsageReporter::SendDailyCounts() {
    if (statsHost_.empty()) return;
    const std::wstring config = GlobalSettings().ConfigPath;
    for (const std::wstring& day : GetPrivateProfileKeys(kCountSection, config)) {
        const int times = GetPrivateProfileInt(kCountSection, day, 0, config);
        if (times <= 0) continue;
        pendingBody_ = EncipherReportBody(ReportJsonText(RecognitionReport(day, times)));
        CCurlClient client;
        if (Counted(client.PostJson(Url("ocr.ashx"), pendingBody_, "root", "kemo")))
            DeletePrivateProfileKey(kCountSection, day, config);
    }
}

std::wstring DayKey(int year, int month, int day) {
    return std::to_wstring(year) + L"-" + std::to_wstring(month) + L"-" + std::to_wstring(day);
}

void StoreTodaysCount(const std::wstring& configPath) {
    // Every day of the run: one that passed midnight has two.
    for (const DayCount& day : TakeRecognitionCounts()) {
        const std::wstring key = DayKey(day.year, day.month, day.day);
        const int sum = GetPrivateProfileInt(kCountSection, key, 0, configPath) + day.count;
        if (sum > 0)
            WritePrivateProfileString(kCountSection, key, std::to_wstring(sum), configPath);
    }
}
