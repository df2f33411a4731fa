#pragma once

#include <fmt/printf.h>
#include <fmt/xchar.h>

#include <string>
#include <string_view>

// The debug output: one line to stderr, only when TAVIOCR_DEBUG is set, so a
// user never sees it and a developer switches it on without rebuilding.

bool DebugTraceEnabled();
// Sends the text as it stands, cut to 511 characters, in one write.
void DebugTraceText(std::wstring_view text);

// printf-style formatting of wide text with typed arguments: a format that does
// not match its arguments yields the format itself, never undefined behaviour.
template <typename... Args>
std::wstring SafeWideSprintf(std::wstring_view format, const Args&... args) {
    try {
        return fmt::sprintf(format, args...);
    } catch (const fmt::format_error&) {
        return std::wstring(format);
    }
}

template <typename... Args>
void DebugTrace(std::wstring_view format, const Args&... args) {
    if (!DebugTraceEnabled()) return;
    DebugTraceText(SafeWideSprintf(format, args...));
}
