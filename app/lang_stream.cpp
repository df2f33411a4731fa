#include "app/lang_stream.h"

#include <cstdint>

#include "platform/text.h"

namespace {

constexpr unsigned char kScrambleByte = 0x5B;

// Calls visit(key, value) for each entry until it returns true or the list ends.
template <typename Visit>
bool WalkEntries(std::string_view stored, Visit visit) {
    const std::size_t n = stored.size();
    if (n == 0 || n >= kMaxLangStreamBytes) return false;
    std::string bytes(stored);
    ScrambleLangStream(bytes);
    // The text ends at the last whole UTF-16 unit, as if a zero unit were
    // written at the even index at or below the length.
    bytes.resize(n & ~std::size_t{1});
    const std::wstring text = DecodeUtf16Le(bytes);
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find(L'\0', pos);
        if (end == std::wstring::npos) end = text.size();
        if (end == pos) break;  // the empty entry ends the list
        const std::wstring_view entry(text.data() + pos, end - pos);
        pos = end + 1;
        const std::size_t eq = entry.find(L'=');
        if (eq == std::wstring_view::npos) continue;
        if (visit(entry.substr(0, eq), entry.substr(eq + 1))) break;
    }
    return true;
}

}  // namespace

void ScrambleLangStream(std::string& bytes) {
    const std::size_t n = bytes.size();
    for (std::size_t offset = 0; offset + 4 < n; offset += 4) {
        bytes[offset] =
            static_cast<char>(static_cast<unsigned char>(bytes[offset]) ^ kScrambleByte);
        bytes[offset + 1] =
            static_cast<char>(static_cast<unsigned char>(bytes[offset + 1]) ^ kScrambleByte);
    }
}

std::optional<std::vector<LangEntry>> ParseLangStream(std::string_view stored) {
    std::vector<LangEntry> entries;
    const bool readable = WalkEntries(stored, [&](std::wstring_view key, std::wstring_view value) {
        entries.emplace_back(std::wstring(key), std::wstring(value));
        return false;
    });
    if (!readable) return std::nullopt;
    return entries;
}

std::optional<std::wstring> LookupLangStream(std::string_view stored, std::wstring_view key) {
    std::optional<std::wstring> found;
    WalkEntries(stored, [&](std::wstring_view entryKey, std::wstring_view value) {
        if (entryKey != key) return false;
        found = std::wstring(value);
        return true;
    });
    return found;
}

std::string EncodeLangStream(const std::vector<LangEntry>& entries) {
    std::wstring text;
    for (const auto& [key, value] : entries) {
        text += key;
        text += L'=';
        text += value;
        text += L'\0';
    }
    text += L'\0';
    std::string bytes = EncodeUtf16Le(text);
    ScrambleLangStream(bytes);
    return bytes;
}
