#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_io.h"
#include "platform/ini_document.h"

// The Windows profile (INI) functions over our INI engine. Files are written as
// UTF-16LE with a byte-order mark, one key per call, by replacing the whole
// file under a lock: two processes writing different keys lose neither, and a
// failed write leaves the previous file in place.

// The parsed file; an empty document when it is missing or unreadable.
IniDocument ReadProfileDocument(std::wstring_view path);

// At most capacity - 1 characters of the value (capacity 0 gives ""); the
// default when the key is absent. Matching outer quotes are removed.
std::wstring GetPrivateProfileString(std::wstring_view section, std::wstring_view key,
                                     std::wstring_view defaultText, std::size_t capacity,
                                     std::wstring_view path);
// The default when the key is absent or empty, else ParseProfileInt.
int GetPrivateProfileInt(std::wstring_view section, std::wstring_view key, int defaultValue,
                         std::wstring_view path);
// Writes or replaces one key, creating the file and section as needed.
bool WritePrivateProfileString(std::wstring_view section, std::wstring_view key,
                               std::wstring_view value, std::wstring_view path);
bool DeletePrivateProfileKey(std::wstring_view section, std::wstring_view key,
                             std::wstring_view path);
std::vector<std::wstring> GetPrivateProfileKeys(std::wstring_view section, std::wstring_view path);

// Value as GetPrivateProfileString returns it, for callers that parsed the
// document once: outer quotes removed, cut to capacity - 1 characters.
std::wstring ProfileValue(const std::optional<std::wstring>& raw, std::wstring_view defaultText,
                          std::size_t capacity);
int ProfileInt(const std::optional<std::wstring>& raw, int defaultValue);

// Locked read-modify-replace of one profile file. The edit returns false to
// leave the file as it is. A file that exists but cannot be read is never
// replaced, so a transient read failure cannot wipe the user's settings.
bool UpdateProfileFile(std::wstring_view path, const std::function<bool(IniDocument&)>& edit,
                       FileAccess access = FileAccess::AsBefore);

// Upper bound for a profile file; anything larger is not a settings file.
inline constexpr std::size_t kMaxProfileFileBytes = 16 * 1024 * 1024;
