#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "update/update_display.h"

// Finds out whether the update server offers a newer version, downloads the
// signed Debian package into the data folder and offers to install it.
// Checks run on a worker thread of their own: the automatic one at most once
// a day (silent), the manual one from the menu (busy while it runs, every
// outcome in a message box). One object for the whole run.
class CUpdate {
public:
    CUpdate();
    // Waits for a running check.
    virtual ~CUpdate();
    CUpdate(const CUpdate&) = delete;
    CUpdate& operator=(const CUpdate&) = delete;

    void SetDisplay(UpdateDisplay* display) { display_ = display; }
    // "http://host[:port]" of the update server.
    void SetUpdateHost(std::string host) { host_ = std::move(host); }
    // The Ed25519 public key packages must be signed with, in Base64 (32
    // bytes); empty keeps the project's own.
    void SetPublicKey(std::string_view base64);
    // How long a manual check waits for the version page (tests shorten it).
    void SetPageTimeLimit(std::chrono::milliseconds limit) { pageLimit_ = limit; }
    // The program that makes the day's automatic check (reports, version,
    // package) in a process of its own: the resident window then never loads
    // the network stack for it. Empty, as by default: on the worker thread.
    void SetDailyCheckCommand(std::vector<std::string> command) {
        dailyCheckCommand_ = std::move(command);
    }
    // The automatic check itself, for the program that command starts.
    void RunDailyCheck() { AutomaticCheck(); }

    // The menu's update item: "Updating" while a check runs, else a pending
    // package is offered, else a manual check starts.
    void CheckNow();
    // The window's start, once it is on the screen (windowShown false for a
    // start in the tray): a pending package is offered unless the user
    // declined it today or the window is hidden; else the day's automatic
    // check starts unless today's has been made.
    void StartOfRun(bool windowShown);
    // Asks "HasUpdate" for a pending package and hands it to the installer;
    // true when that was started (the program then ends). Called on the worker.
    bool OfferPackage();
    // A verified package of a version newer than the running one is waiting.
    bool PackagePending() const;

    bool IsRunning() const { return worker_.joinable() && !finished_; }
    void Wait();
    // Waits at most `timeout` for a running check; true when none runs any more.
    bool WaitFor(std::chrono::milliseconds timeout);

    std::wstring PackagePath() const;
    std::wstring RemoteConfigPath() const;

protected:
    // Refreshes cd.dat from the update server.
    virtual bool DownloadRemoteConfig();

private:
    enum class Mode { Manual, Automatic, OfferOnly };
    void Start(Mode mode);
    void ManualCheck();
    void AutomaticCheck();
    // The automatic check through the daily-check command, ended when the
    // window's work is cancelled; on this thread when it cannot be started.
    void AutomaticCheckElsewhere();
    // The newer version the server offers, empty when none; `answered` false
    // when the page held no version at all.
    std::wstring NewerVersion(bool silent, bool& answered);
    // Downloads the package and its signature; keeps the package only when
    // the signature verifies, and says why not in the log.
    bool DownloadPackage(const std::wstring& version);
    void ForgetPackage();
    void Show(std::wstring_view key, int style);

    void* updateLibrary_ = nullptr;
    std::string host_;
    std::string publicKey_;
    std::chrono::milliseconds pageLimit_{std::chrono::seconds(15)};
    std::vector<std::string> dailyCheckCommand_;
    UpdateDisplay* display_ = nullptr;
    std::thread worker_;
    std::atomic<bool> finished_{true};
};

// The process's one update check.
CUpdate& Updater();
