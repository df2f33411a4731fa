#include "update/update.h"

#include <dlfcn.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <exception>

#include "app/diagnostics.h"
#include "app/language_file.h"
#include "app/process_globals.h"
#include "app/program_version.h"
#include "app/settings.h"
#include "net/system_http.h"
#include "platform/debug_trace.h"
#include "platform/file_io.h"
#include "platform/processes.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "recognition/image_prep.h"
#include "recognition/recognition_interfaces.h"
#include "update/file_download.h"
#include "update/package_signature.h"
#include "update/usage_reporter.h"
#include "update/version_compare.h"

namespace {

constexpr std::wstring_view kProductKey = L"Software\\TaviOCR";
constexpr std::wstring_view kVersionPrefix = L"version=";
// Linux packages have a channel of their own on the update host.
constexpr std::string_view kChannel = "/ocr/linux/";
constexpr std::wstring_view kPackageName = L"taviocr_amd64.deb";

// The pending package's state, in the settings file.
constexpr std::wstring_view kPendingFlag = L"HasNewInstaller";
constexpr std::wstring_view kPendingVersion = L"NewVersion";
constexpr std::wstring_view kDeclinedOn = L"UpdateDeclinedOn";

// Longer than the reports, the version page and the package's 30 minutes together.
constexpr std::chrono::minutes kDailyCheckLimit{40};

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

std::wstring Today() {
    const std::tm now = LocalNow();
    return SafeWideSprintf(L"%04d-%02d-%02d", now.tm_year + 1900, now.tm_mon + 1, now.tm_mday);
}

std::wstring Setting(std::wstring_view key) {
    return GetPrivateProfileString(L"Main", key, L"", 64, GlobalSettings().ConfigPath);
}

void StoreSetting(std::wstring_view key, std::wstring_view value) {
    WritePrivateProfileString(L"Main", key, value, GlobalSettings().ConfigPath);
}

// The line a user can type when no desktop installer takes the package.
std::wstring AptInstallLine(const std::wstring& path) {
    return L"sudo apt-get install '" + path + L"'";
}

}  // namespace

CUpdate::CUpdate() : publicKey_(ProjectUpdateKey()) {
    // Loaded when present and never called, as installations expect.
    const std::string library = NarrowPath(Globals().ExeFolder + L"/LiveUpdate.dll");
    if (FileExists(Utf8ToWide(library))) updateLibrary_ = ::dlopen(library.c_str(), RTLD_LAZY);
}

CUpdate::~CUpdate() {
    Wait();
    if (updateLibrary_) ::dlclose(updateLibrary_);
}

void CUpdate::SetPublicKey(std::string_view base64) {
    publicKey_ = base64.empty() ? ProjectUpdateKey() : Base64Decode(base64);
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

std::wstring CUpdate::PackagePath() const {
    return Globals().AppFolder + L"/" + kPackageName.data();
}
std::wstring CUpdate::RemoteConfigPath() const { return Globals().AppFolder + L"/cd.dat"; }

bool CUpdate::PackagePending() const {
    // A package of the running version (installed meanwhile) or an older one
    // is no update any more.
    return GetPrivateProfileInt(L"Main", kPendingFlag, 0, GlobalSettings().ConfigPath) != 0 &&
           FileExists(PackagePath()) &&
           CompareVersions(Setting(kPendingVersion), ProgramVersion()) > 0;
}

void CUpdate::ForgetPackage() {
    std::remove(NarrowPath(PackagePath()).c_str());
    DeletePrivateProfileKey(L"Main", kPendingFlag, GlobalSettings().ConfigPath);
    DeletePrivateProfileKey(L"Main", kPendingVersion, GlobalSettings().ConfigPath);
    DeletePrivateProfileKey(L"Main", kDeclinedOn, GlobalSettings().ConfigPath);
}

void CUpdate::Show(std::wstring_view key, int style) {
    if (!display_) return;
    display_->ShowBusy(false);
    display_->ShowMessage(key, style);
}

bool CUpdate::OfferPackage() {
    if (!PackagePending() || !display_) return false;
    display_->ShowBusy(false);
    if (!display_->ShowMessage(L"HasUpdate", kStyleInformation | kStyleTwoButtons)) {
        // Asked again tomorrow, or at once from the menu.
        StoreSetting(kDeclinedOn, Today());
        return false;
    }
    if (!display_->StartInstaller(PackagePath())) {
        WriteLog(L"update: no package installer took %s", PackagePath());
        display_->ShowMessageWith(L"InstallerNotStarted", AptInstallLine(PackagePath()));
        return false;
    }
    display_->EndProgram();
    return true;
}

void CUpdate::CheckNow() {
    if (IsRunning()) {
        Show(L"Updating", kStyleInformation);
        return;
    }
    Start(PackagePending() ? Mode::OfferOnly : Mode::Manual);
}

void CUpdate::StartOfRun(bool windowShown) {
    if (IsRunning()) return;
    if (PackagePending()) {
        // Offered over the window, once a day at most; the day's check waits
        // for the next start then.
        if (windowShown && Setting(kDeclinedOn) != Today()) return Start(Mode::OfferOnly);
    } else if (FileExists(PackagePath())) {
        ForgetPackage();  // installed meanwhile
    }
    if (host_.empty()) return;  // no update server: nothing to check
    const int today = LocalNow().tm_mday;
    const auto last = RegReadDword(RegistryHive::CurrentUser, kProductKey, L"UpdateDay");
    if (last && static_cast<int>(*last) == today) return;
    RegWriteDword(RegistryHive::CurrentUser, kProductKey, L"UpdateDay",
                  static_cast<std::uint32_t>(today));
    Start(Mode::Automatic);
}

void CUpdate::Start(Mode mode) {
    Wait();  // a finished worker is reaped
    finished_ = false;
    worker_ = std::thread([this, mode] {
        try {
            switch (mode) {
                case Mode::Manual:
                    ManualCheck();
                    break;
                case Mode::Automatic:
                    if (dailyCheckCommand_.empty())
                        AutomaticCheck();
                    else
                        AutomaticCheckElsewhere();
                    break;
                case Mode::OfferOnly:
                    OfferPackage();
                    break;
            }
        } catch (const std::exception&) {
            DebugTrace(L"Type=%d File=%s Line=%d", 5, L"update.cpp", __LINE__);
        }
        if (mode == Mode::Manual && display_) display_->ShowBusy(false);
        finished_ = true;
    });
}

bool CUpdate::DownloadRemoteConfig() {
    return DownloadFile(Utf8ToWide(host_ + std::string(kChannel) + "cd.cab"), RemoteConfigPath(),
                        kRemoteConfigLimits);
}

std::wstring CUpdate::NewerVersion(bool silent, bool& answered) {
    answered = false;
    if (host_.empty()) return {};
    if (silent) DownloadRemoteConfig();
    // Line breaks and blanks are no part of a version ("version=1.3\r\n").
    const std::wstring page = WithoutWhiteSpace(GetUrlText(
        Utf8ToWide(host_ + std::string(kChannel) + "newversion.htm"), false, pageLimit_));
    answered = page.starts_with(kVersionPrefix);
    // A server that gave no page within its time is not asked for more: the
    // user hears of it now.
    if (!silent && answered) DownloadRemoteConfig();
    if (!answered) return {};
    const std::wstring remote = page.substr(kVersionPrefix.size());
    // Numerically, part by part: 1.2.10 is newer than 1.2.9. The running
    // version itself, or an older one, is never offered.
    return CompareVersions(remote, ProgramVersion()) > 0 ? remote : std::wstring();
}

bool CUpdate::DownloadPackage(const std::wstring& version) {
    ForgetPackage();
    const std::wstring base = Utf8ToWide(host_ + std::string(kChannel)) + kPackageName.data();
    // Verified before it gets the name that makes it pending.
    const std::wstring unverified = PackagePath() + L".unverified";
    const std::wstring signaturePath = PackagePath() + L".sig";
    const auto refuse = [&](std::wstring_view reason) {
        WriteLog(L"update: package %s refused: %s", version, std::wstring(reason));
        std::remove(NarrowPath(unverified).c_str());
        std::remove(NarrowPath(signaturePath).c_str());
        return false;
    };
    if (!DownloadFile(base, unverified, kPackageLimits)) return refuse(L"download failed");
    if (!DownloadFile(base + L".sig", signaturePath, kSignatureLimits))
        return refuse(L"no signature");
    const auto package =
        ReadWholeFile(unverified, static_cast<std::size_t>(kPackageLimits.maxBytes));
    const auto signature = ReadWholeFile(signaturePath, kSignatureLimits.maxBytes);
    if (!package || !signature) return refuse(L"unreadable");
    const PackageVerdict verdict = CheckSignedPackage(*package, *signature, publicKey_);
    if (verdict != PackageVerdict::Verified) return refuse(VerdictText(verdict));
    std::remove(NarrowPath(signaturePath).c_str());
    if (std::rename(NarrowPath(unverified).c_str(), NarrowPath(PackagePath()).c_str()) != 0)
        return refuse(L"not stored");
    StoreSetting(kPendingVersion, version);
    StoreSetting(kPendingFlag, L"1");
    UsageReporter().SendAction(CUsageReporter::kInstallerDownloaded);
    return true;
}

void CUpdate::ManualCheck() {
    if (display_) display_->ShowBusy(true);
    bool answered = false;
    const std::wstring newer = NewerVersion(false, answered);
    if (!answered) return Show(L"NoVersion", kStyleInformation);
    if (newer.empty()) return Show(L"NotUpdate", kStyleInformation);
    if (display_) display_->ShowBalloon(LangText(L"DownloadingUpdate"), LangText(L"ProductName"));
    if (!DownloadPackage(newer)) {
        if (display_) display_->HideBalloon();
        return Show(L"UpdateFail", kStyleInformation);
    }
    OfferPackage();
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
    if (newer.empty() || GlobalSettings().CanUpdate == 0) return;
    // A package declined earlier gives way to a newer one.
    if (PackagePending() && CompareVersions(newer, Setting(kPendingVersion)) <= 0) return;
    DownloadPackage(newer);
}

void CUpdate::AutomaticCheckElsewhere() {
    std::optional<ChildProcess> check = ChildProcess::Start(dailyCheckCommand_);
    if (!check) {
        WriteLog(L"update: the daily check could not be started (%d); made here", errno);
        return AutomaticCheck();
    }
    // Every transfer of the check has its own limit; this one only bounds a
    // check that hangs outside them. A cancel (the window's end) ends it too.
    if (!check->WaitFor(kDailyCheckLimit)) check->Kill();
}

CUpdate& Updater() {
    static CUpdate update;
    return update;
}
