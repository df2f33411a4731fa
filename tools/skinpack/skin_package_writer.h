#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

using SkinEntry = std::pair<std::string, std::string>;  // name, bytes

// Writes a package whose every entry is under the classic zip password,
// replacing path whole. The skin tool's and the tests' writer; the program
// itself only reads.
bool WriteSkinPackage(std::wstring_view path, std::string_view password,
                      const std::vector<SkinEntry>& entries);
