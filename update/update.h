#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "update/update_display.h"

// Finds out whether the update server offers a newer version, downloads the
// installer into the data folder and offers to run it. Checks run on a
// worker thread of their own: the automatic one at most once a day (silent),
// the manual one from the menu (every outcome in a message box). One object
// for the whole run.
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

    // The menu's update item: "Updating" while a check runs, else a pending
    // installer is offered, else a manual check starts.
    void CheckNow();
    // The window's start: a pending installer is offered first (true when it
    // was started: the program should end); else the day's automatic check
    // starts unless today's has been made.
    bool StartOfRun();
    // Asks "HasUpdate" when a downloaded installer is there; true when it was run.
    bool OfferInstaller();
    bool InstallerPending() const;

    bool IsRunning() const { return worker_.joinable() && !finished_; }
    void Wait();
    // Waits at most `timeout` for a running check; true when none runs any more.
    bool WaitFor(std::chrono::milliseconds timeout);

    std::wstring InstallerPath() const;
    std::wstring RemoteConfigPath() const;

protected:
    // Refreshes cd.dat from the update server.
    virtual bool DownloadRemoteConfig();

private:
    void Start(bool silent);
    void ManualCheck();
    void AutomaticCheck();
    // The newer version the server offers, empty when none; `answered` false
    // when the page held no version at all.
    std::wstring NewerVersion(bool silent, bool& answered);
    bool DownloadInstaller();
    void Show(std::wstring_view key, int style);

    void* updateLibrary_ = nullptr;
    std::string host_;
    UpdateDisplay* display_ = nullptr;
    std::thread worker_;
    std::atomic<bool> finished_{true};
};

// The process's one update check.
CUpdate& Updater();
