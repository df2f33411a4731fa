#pragma once

#include <string>
#include <string_view>

// Caption and text of the box shown when the program crashes.
inline constexpr std::wstring_view kCrashBoxCaption = L"except";
inline constexpr std::wstring_view kDefaultCrashText = L"Abnormal program termination";

// "<text>( code:<hex> address:<hex> )" with the language file's "Except" text,
// or the default when that is empty. code and address arrive as lower-case hex.
std::wstring CrashBoxMessage(std::wstring_view exceptText, std::wstring_view codeHex,
                             std::wstring_view addressHex);
