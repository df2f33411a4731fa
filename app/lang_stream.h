#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// One section of a language file as stored in its stream: UTF-16LE entries
// "key=value", each ended by a zero unit, the list ended by an empty entry,
// the whole scrambled word by word.

// Streams must be shorter than this; a longer one is refused as unreadable.
inline constexpr std::size_t kMaxLangStreamBytes = 131072;

// XORs the low half of every little-endian 32-bit word at offset 4·d with
// 0x5B5B, for each d with 4·d + 4 < n. The same call scrambles and unscrambles;
// the last whole word of a stream whose length is a multiple of 4 stays as stored.
void ScrambleLangStream(std::string& bytes);

using LangEntry = std::pair<std::wstring, std::wstring>;

// The entries of a stream as stored (already scrambled), up to the first empty
// entry. Entries without "=" are skipped; the value is everything after the
// first "=". A stream that is empty or not shorter than kMaxLangStreamBytes
// gives nothing.
std::optional<std::vector<LangEntry>> ParseLangStream(std::string_view stored);

// The value of the first entry whose key equals `key` exactly.
std::optional<std::wstring> LookupLangStream(std::string_view stored, std::wstring_view key);

// The stored (scrambled) form of a list of entries, with its ending empty entry.
std::string EncodeLangStream(const std::vector<LangEntry>& entries);
