#include "platform/profile.h"

#include <chrono>

#include "platform/file_io.h"

namespace {

// Long enough for a slow disk, short enough that a stuck holder cannot hang the UI.
constexpr std::chrono::milliseconds kLockTimeout{5000};

std::wstring_view WithoutOuterQuotes(std::wstring_view v) {
    if (v.size() >= 2 && (v.front() == L'"' || v.front() == L'\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

}  // namespace

IniDocument ReadProfileDocument(std::wstring_view path) {
    const auto bytes = ReadWholeFile(path, kMaxProfileFileBytes);
    return bytes ? IniDocument::FromFileBytes(*bytes) : IniDocument{};
}

std::wstring ProfileValue(const std::optional<std::wstring>& raw, std::wstring_view defaultText,
                          std::size_t capacity) {
    if (capacity == 0) return {};
    std::wstring value(raw ? WithoutOuterQuotes(*raw) : defaultText);
    if (value.size() > capacity - 1) value.resize(capacity - 1);
    return value;
}

int ProfileInt(const std::optional<std::wstring>& raw, int defaultValue) {
    if (!raw || raw->empty()) return defaultValue;
    return ParseProfileInt(*raw);
}

std::wstring GetPrivateProfileString(std::wstring_view section, std::wstring_view key,
                                     std::wstring_view defaultText, std::size_t capacity,
                                     std::wstring_view path) {
    return ProfileValue(ReadProfileDocument(path).Get(section, key), defaultText, capacity);
}

int GetPrivateProfileInt(std::wstring_view section, std::wstring_view key, int defaultValue,
                         std::wstring_view path) {
    return ProfileInt(ReadProfileDocument(path).Get(section, key), defaultValue);
}

std::vector<std::wstring> GetPrivateProfileKeys(std::wstring_view section, std::wstring_view path) {
    return ReadProfileDocument(path).Keys(section);
}

bool UpdateProfileFile(std::wstring_view path, const std::function<bool(IniDocument&)>& edit,
                       FileAccess access) {
    FileLock lock(LockPathFor(path), kLockTimeout);
    if (!lock.owns()) return false;
    IniDocument doc;
    if (auto bytes = ReadWholeFile(path, kMaxProfileFileBytes)) {
        doc = IniDocument::FromFileBytes(*bytes);
    } else if (FileExists(path)) {
        return false;
    }
    if (!edit(doc)) return false;
    return WriteFileAtomically(path, doc.ToFileBytes(), FlushMode::Durable, access);
}

namespace {

bool IsValidName(std::wstring_view name) {
    return !name.empty() && name.find_first_of(L"\r\n") == std::wstring_view::npos;
}

}  // namespace

bool WritePrivateProfileString(std::wstring_view section, std::wstring_view key,
                               std::wstring_view value, std::wstring_view path) {
    // A line break inside a name or value would split it into other keys.
    if (!IsValidName(section) || !IsValidName(key) || key.find(L'=') != std::wstring_view::npos ||
        section.find(L']') != std::wstring_view::npos ||
        value.find_first_of(L"\r\n") != std::wstring_view::npos)
        return false;
    return UpdateProfileFile(path, [&](IniDocument& doc) {
        doc.Set(section, key, value);
        return true;
    });
}

bool DeletePrivateProfileKey(std::wstring_view section, std::wstring_view key,
                             std::wstring_view path) {
    // Deleting what is not there succeeds without rewriting the file.
    if (!ReadProfileDocument(path).Get(section, key)) return true;
    return UpdateProfileFile(path, [&](IniDocument& doc) {
        doc.Remove(section, key);
        return true;
    });
}
