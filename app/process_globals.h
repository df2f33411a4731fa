#pragma once

#include <string>

// Installation defaults read from oem.ini beside the program.
struct OemInfo {
    std::wstring PartnerId = L"0";  // channel code sent with usage reports
    int OcrLanguage = 0;            // default recognition language of config.ini
    std::wstring SkinFolder;        // folder of the checked skin package, with "/"
};

// The process-wide values filled once at start-up, before any window or worker
// exists, and read-only afterwards (UiLanguage changes only on the UI thread).
// Tests assign them directly to point the program at temporary folders.
struct ProcessGlobals {
    std::wstring ExeFolder;       // no trailing separator
    std::wstring AppFolder;       // per-user data folder, no trailing separator
    std::wstring DesktopFolder;   // no trailing separator
    std::wstring TempWorkFolder;  // always ends in "/"
    int UiLanguage = 0;           // a Windows code-page number
    // Read once, after the window has made sure of it (empty until then, or
    // when it could not be made); every service that sends it takes it here.
    std::wstring MachineCode;
    OemInfo Oem;
};

ProcessGlobals& Globals();

// Fills the four folders from the environment (creating AppFolder when missing).
void DetectProcessFolders(ProcessGlobals& globals);
