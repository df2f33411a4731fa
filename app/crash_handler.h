#pragma once

#include <string_view>

// Process-wide handler for fatal signals (SIGSEGV, SIGBUS, SIGFPE, SIGILL,
// SIGABRT). On a crash it writes a report (signal, fault address, backtrace of
// the crashing thread) to "Error.tmp" in the app folder, replacing the last one,
// then starts the crash-box program beside the executable to tell the user, waits
// for it and ends the process with the original signal. Nothing here allocates
// once a signal has arrived: every path is prepared at installation.
void InstallCrashHandler(std::wstring_view appFolder, std::wstring_view exeFolder);

// The language file whose "Except" text the crash box shows; empty for none.
void SetCrashLanguageFile(std::wstring_view path);

// Name of the crash-box program in the program folder.
inline constexpr std::wstring_view kCrashBoxProgram = L"taviocr-crashbox";
