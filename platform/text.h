#pragma once

#include <string>
#include <string_view>

// The one place where text changes its encoding. Program code holds wide text
// (std::wstring); bytes that cross a file or a server are converted here.

// UTF-8 → wide. Malformed sequences become U+FFFD, one per offending byte, so a
// broken server answer still yields readable text around the damage.
std::wstring Utf8ToWide(std::string_view utf8);
// The text without blanks, tabs and line breaks (ASCII white space), wherever they stand.
std::wstring WithoutWhiteSpace(std::wstring text);
// Wide → UTF-8. Lone surrogates and values beyond U+10FFFF become U+FFFD.
std::string WideToUtf8(std::wstring_view wide);

// File names are bytes. As wide text, the bytes that are not valid UTF-8
// become U+DC80 + byte (lone surrogates, which no UTF-8 name can hold), and
// WidePathToBytes gives exactly the same bytes back, so a name such as
// "bad\xFFname.png" can still be opened.
std::wstring PathBytesToWide(std::string_view bytes);
std::string WidePathToBytes(std::wstring_view path);

// The "ANSI code page" is the charset of the process locale (LC_CTYPE). A plain
// C/POSIX locale would make every non-ASCII character unrepresentable, so it is
// taken as UTF-8, which is what these machines use everywhere else.
std::string AnsiCodeSet();
std::wstring AnsiToWide(std::string_view ansi);
std::string WideToAnsi(std::wstring_view wide);
// The same with an explicit iconv charset name ("ISO-8859-1", "GB18030", ...).
// Characters the charset cannot hold become '?', undecodable bytes U+FFFD.
std::wstring AnsiToWide(std::string_view ansi, const std::string& codeSet);
std::string WideToAnsi(std::wstring_view wide, const std::string& codeSet);

// Exact UTF-16LE bytes, no byte-order mark. Supplementary characters become
// surrogate pairs; a trailing odd byte is dropped on decoding and unpaired
// surrogates decode to U+FFFD.
std::string EncodeUtf16Le(std::wstring_view wide);
std::wstring DecodeUtf16Le(std::string_view bytes);

// Case-insensitive comparison as Windows compares profile and registry names:
// simple per-character upper-casing.
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);
std::wstring ToLowerAscii(std::wstring_view text);
