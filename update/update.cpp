#include "update/update.h"

#include <dlfcn.h>

#include <cstdio>
#include <ctime>
#include <exception>

#include "app/language_file.h"
#include "app/process_globals.h"
#include "app/program_version.h"
#include "app/settings.h"
#include "net/system_http.h"
#include "platform/debug_trace.h"
#include "platform/file_io.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "recognition/recognition_interfaces.h"
#include "update/installer_download.h"
#include "update/usage_reporter.h"
#include "update/version_compare.h"

namespace {

constexpr std::wstring_view kProductKey = L"Software\\TaviOCR";
constexpr std::wstring_view kVersionPrefix = L"version=";

int DayOfMonth() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_mday;
}

}  // namespace

CUpdate::CUpdate() {
    // Loaded when present and never called, as installations expect.
    const std::string library = NarrowPath(Globals().ExeFolder + L"/LiveUpdate.dll");
    if (FileExists(Utf8ToWide(library))) updateLibrary_ = ::dlopen(library.c_str(), RTLD_LAZY);
}

CUpdate::~CUpdate() {
    Wait();
    if (updateLibrary_) ::dlclose(updateLibrary_);
}

void CUpdate::Wait() {
    if (worker_.joinable()) worker_.join();
}

bool CUpdate::WaitFor(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (IsRunning()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    Wait();
    return true;
}

std::wstring CUpdate::InstallerPath() const { return Globals().AppFolder + L"/TaviOCRSetup.exe"; }
std::wstring CUpdate::RemoteConfigPath() const { return Globals().AppFolder + L"/cd.dat"; }

bool CUpdate::InstallerPending() const {
    return GetPrivateProfileInt(L"Main", L"HasNewInstaller", 0, GlobalSettings().ConfigPath) != 0 &&
           FileExists(InstallerPath());
}

void CUpdate::Show(std::wstring_view key, int style) {
    if (display_) display_->ShowMessage(key, style);
}

bool CUpdate::OfferInstaller() {
    if (!FileExists(InstallerPath()) || !display_) return false;
    if (!display_->ShowMessage(L"HasUpdate", kStyleInformation | kStyleTwoButtons)) return false;
    return display_->OpenFile(InstallerPath());
}

void CUpdate::CheckNow() {
    if (IsRunning()) {
        Show(L"Updating", kStyleInformation);
        return;
    }
    if (InstallerPending()) {
        OfferInstaller();
        return;
    }
    Start(false);
}

bool CUpdate::StartOfRun() {
    if (InstallerPending()) return OfferInstaller();
    if (IsRunning() || host_.empty()) return false;  // no update server: nothing to check
    const int today = DayOfMonth();
    const auto last = RegReadDword(RegistryHive::CurrentUser, kProductKey, L"UpdateDay");
    if (last && static_cast<int>(*last) == today) return false;
    RegWriteDword(RegistryHive::CurrentUser, kProductKey, L"UpdateDay",
                  static_cast<std::uint32_t>(today));
    Start(true);
    return false;
}

void CUpdate::Start(bool silent) {
    Wait();  // a finished worker is reaped
    finished_ = false;
    worker_ = std::thread([this, silent] {
        try {
            silent ? AutomaticCheck() : ManualCheck();
        } catch (const std::exception&) {
            DebugTrace(L"Type=%d File=%s Line=%d", 5, L"update.cpp", __LINE__);
        }
        finished_ = true;
    });
}

bool CUpdate::DownloadRemoteConfig() {
    return DownloadFile(Utf8ToWide(host_ + "/ocr/windows/cd.cab"), RemoteConfigPath(),
                        kMaxRemoteConfigBytes);
}

std::wstring CUpdate::NewerVersion(bool silent, bool& answered) {
    answered = false;
    if (host_.empty()) return {};
    if (silent) DownloadRemoteConfig();
    // Line breaks and blanks are no part of a version ("version=1.3\r\n").
    const std::wstring page =
        WithoutWhiteSpace(GetUrlText(Utf8ToWide(host_ + "/ocr/windows/newversion.htm"), false));
    if (!silent) DownloadRemoteConfig();
    answered = page.starts_with(kVersionPrefix);
    if (!answered) return {};
    const std::wstring remote = page.substr(kVersionPrefix.size());
    // Numerically, part by part: 1.2.10 is newer than 1.2.9. The running
    // version itself, or an older one, is never offered.
    return CompareVersions(remote, ProgramVersion()) > 0 ? remote : std::wstring();
}

bool CUpdate::DownloadInstaller() {
    std::remove(NarrowPath(InstallerPath()).c_str());
    return DownloadFile(Utf8ToWide(host_ + "/ocr/windows/TaviOCRSetup.exe"), InstallerPath(),
                        kMaxInstallerBytes);
}

void CUpdate::ManualCheck() {
    bool answered = false;
    const std::wstring newer = NewerVersion(false, answered);
    if (!answered) return Show(L"NoVersion", kStyleInformation);
    if (newer.empty()) return Show(L"NotUpdate", kStyleInformation);
    if (display_) display_->ShowBalloon(LangText(L"DownloadingUpdate"), LangText(L"ProductName"));
    if (!DownloadInstaller()) {
        if (display_) display_->HideBalloon();
        return Show(L"UpdateFail", kStyleInformation);
    }
    WritePrivateProfileString(L"Main", L"HasNewInstaller", L"1", GlobalSettings().ConfigPath);
    UsageReporter().SendAction(CUsageReporter::kInstallerDownloaded);
    OfferInstaller();
    if (display_) display_->HideBalloon();
}

void CUpdate::AutomaticCheck() {
    CUsageReporter& reporter = UsageReporter();
    if (RegReadString(RegistryHive::CurrentUser, kProductKey, L"SendInstallMessage", 520)) {
        reporter.SendAction(CUsageReporter::kInstall, true);
        RegDeleteValue(RegistryHive::CurrentUser, kProductKey, L"SendInstallMessage");
    }
    reporter.SendAction(CUsageReporter::kDailyStart);
    reporter.SendDailyCounts();
    bool answered = false;
    const std::wstring newer = NewerVersion(true, answered);
    if (newer.empty() || GlobalSettings().CanUpdate == 0 || InstallerPending()) return;
    if (!DownloadInstaller()) return;
    WritePrivateProfileString(L"Main", L"HasNewInstaller", L"1", GlobalSettings().ConfigPath);
    reporter.SendAction(CUsageReporter::kInstallerDownloaded);
}

CUpdate& Updater() {
    static CUpdate update;
    return update;
}
