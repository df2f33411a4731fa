#pragma once

#include <QCoreApplication>
#include <filesystem>

#include "account/signed_in_user.h"
#include "app/process_globals.h"
#include "app/settings.h"
#include "platform/file_io.h"
#include "support/temp_environment.h"
#include "update_servers.h"

// A private data folder and settings file, and the loopback vendor servers.
class UpdateTest : public TempEnvironment {
protected:
    void SetUp() override {
        TempEnvironment::SetUp();
        static int argc = 1;
        static char name[] = "update_tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
        saved_ = Globals();
        Globals().AppFolder = Path("data/TaviOCR");
        Globals().ExeFolder = Path("program");
        CreateFolderTree(Globals().AppFolder);
        GlobalSettings().ConfigPath = Globals().AppFolder + L"/config.ini";
        GlobalSettings().CanUpdate = 1;
        CurrentUser() = {};
    }
    void TearDown() override {
        Globals() = saved_;
        TempEnvironment::TearDown();
    }
    ProcessGlobals saved_;
    UpdateServers servers_;
};
