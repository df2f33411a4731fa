#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Skin packages: password-protected zip files holding layouts, images and
// style sheets, read entry by entry into memory.

// Largest entry a package may hand out; a bigger one is refused.
inline constexpr std::size_t kMaxSkinEntryBytes = 64 * 1024 * 1024;

// One entry's bytes; nothing when the package is missing or not a zip file,
// the password is wrong, the entry is missing, or its data is corrupt.
std::optional<std::string> ReadSkinPackageEntry(std::wstring_view packagePath,
                                                std::string_view password,
                                                std::string_view entryName);
// Names of every entry in the package.
std::optional<std::vector<std::string>> ListSkinPackage(std::wstring_view packagePath);

using SkinEntry = std::pair<std::string, std::string>;  // name, bytes

// Writes a package whose every entry is AES-256 encrypted with the password,
// replacing path whole.
bool WriteSkinPackage(std::wstring_view path, std::string_view password,
                      const std::vector<SkinEntry>& entries);
