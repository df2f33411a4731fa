#pragma once

#include <json/json.h>

#include <cstdint>
#include <string>

// Reports to the statistics server: the action report (installation,
// uninstallation, daily start, installer downloaded) and one recognition
// report per stored day. Sent on the calling thread; nothing is shown.
class CUsageReporter {
public:
    enum ActionType { kInstall = 1, kUninstall = 2, kDailyStart = 3, kInstallerDownloaded = 4 };

    static constexpr int kAppId = 18;
    static constexpr int kAppApiId = 1061;

    void SetStatsHost(std::string host) { statsHost_ = std::move(host); }
    void SetChannelCode(const std::wstring& text);
    void SetVersion(const std::wstring& text);
    void SetMachineCode(const std::wstring& text);
    void SetOs(const std::wstring& text);

    // The action report of a type; true when the server counted it. The
    // advertising id is derived from the installer's name only when allowed.
    bool SendAction(int type, bool deriveAdId = false);
    // One report per stored day with recognitions; a day the server counted
    // is deleted from the settings, a failed one stays for the next time.
    void SendDailyCounts();

    Json::Value ActionReport(int type, bool deriveAdId) const;
    Json::Value RecognitionReport(const std::wstring& day, int times) const;
    // The body of the last report built.
    const std::string& PendingBody() const { return pendingBody_; }

private:
    std::string Url(const char* endpoint) const { return statsHost_ + "/" + endpoint; }

    std::string statsHost_;
    int osBit_ = sizeof(void*) == 8 ? 64 : 32;
    std::string channelCode_ = "0";
    std::string version_;
    std::string machineCode_;
    std::string os_;
    std::string pendingBody_;
};

// The process's one reporter (the start-up code fills its identity).
CUsageReporter& UsageReporter();

// The advertising id in an installer's file name: what follows the first
// "_" (else the first "-") of the name without folders and extension, when
// it reads as a positive 64-bit number; 0 otherwise.
std::int64_t AdIdFromInstallerName(const std::wstring& installerName);
// The stored advertising id, derived and stored first when allowed and absent.
std::int64_t AdvertisingId(bool deriveAdId);

// The key of a day in the settings' "Count" section: "2026-12-8".
std::wstring DayKey(int year, int month, int day);
// At the end of a run: adds each day's recognitions of the run to that day's
// stored count (written only when there were any); the counts are taken, so a
// second call adds nothing.
void StoreTodaysCount(const std::wstring& configPath);
