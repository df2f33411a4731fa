#pragma once

#include <ctime>
#include <string>
#include <string_view>

#include "platform/debug_trace.h"

// The log file: a few failures worth keeping, one time-stamped line each.
// Until start-up points it at run.log in AppFolder it goes to "ftlog.log" in
// the temporary folder.
void SetLogPath(std::wstring_view path);  // keeps at most 259 characters
std::wstring LogPath();

// "[month/day hour:minute:second]-message\r\n" with no zero padding, the
// message in the ANSI code page, the whole line at most 527 bytes: a longer
// message is cut at a character boundary.
std::string BuildLogLine(const std::tm& localTime, std::wstring_view message);
// Appends one line (message cut to 511 characters) in a single append, so
// concurrent writers never lose or interleave lines; failures are silent.
void WriteLogText(std::wstring_view message);

template <typename... Args>
void WriteLog(std::wstring_view format, const Args&... args) {
    WriteLogText(SafeWideSprintf(format, args...));
}

// The system's text for an errno value (-1: the current errno) to the debug output.
void TraceSystemError(int code);
