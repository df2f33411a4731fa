#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The two registry hives the program uses, kept as store files: the user hive
// in $XDG_CONFIG_HOME/TaviOCR/user.reg, the machine hive in
// $TAVIOCR_MACHINE_DIR/machine.reg (writable only with the rights that folder
// demands, as the machine hive demands an administrator). Each key path is a
// section, each value a line "name=sz:text" or "name=dword:number".
// A store that is missing, corrupt or unreadable reads as absent values.

enum class RegistryHive { CurrentUser, LocalMachine };

std::wstring RegistryStorePath(RegistryHive hive);

// A string value, or nothing when it is absent, of another type, or does not
// fit a buffer of bufferBytes bytes with its terminating zero (as a
// fixed-buffer query fails with "more data").
std::optional<std::wstring> RegReadString(RegistryHive hive, std::wstring_view keyPath,
                                          std::wstring_view valueName, std::size_t bufferBytes);
std::optional<std::uint32_t> RegReadDword(RegistryHive hive, std::wstring_view keyPath,
                                          std::wstring_view valueName);
bool RegWriteString(RegistryHive hive, std::wstring_view keyPath, std::wstring_view valueName,
                    std::wstring_view text);
bool RegWriteDword(RegistryHive hive, std::wstring_view keyPath, std::wstring_view valueName,
                   std::uint32_t value);
// True when the value is gone afterwards (also when it never existed).
bool RegDeleteValue(RegistryHive hive, std::wstring_view keyPath, std::wstring_view valueName);
