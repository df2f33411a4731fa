#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/debug_trace.h"

// Language texts are formats that come from a file ("%s of %d", "Commodity"
// with eight strings, ...). They are formatted with typed arguments; a text
// whose conversions do not match its arguments is shown as it stands, never
// read past its arguments.
// The formatted text, or nothing when the text does not match its arguments.
template <typename... Args>
std::optional<std::wstring> TryFormatLangText(std::wstring_view format, const Args&... args) {
    try {
        return fmt::sprintf(format, args...);
    } catch (const fmt::format_error&) {
        return std::nullopt;
    }
}

template <typename... Args>
std::wstring FormatLangText(std::wstring_view format, const Args&... args) {
    return SafeWideSprintf(format, args...);
}
