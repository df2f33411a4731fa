#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// OLE compound (structured storage) files, as the language files are stored.
// Only streams at the root are used; their names are case-sensitive.

using CompoundStream = std::pair<std::string, std::string>;  // name, bytes

// The bytes of one root stream; nothing when the file is missing or not a
// compound file, the stream is missing, or it holds maxBytes or more.
std::optional<std::string> ReadCompoundStream(std::wstring_view path, std::string_view name,
                                              std::size_t maxBytes);
// Every root stream in file order; nothing when the file cannot be read.
std::optional<std::vector<CompoundStream>> ReadCompoundStreams(std::wstring_view path,
                                                               std::size_t maxBytesEach);
// Writes a new compound file with these root streams, replacing path whole
// (a temporary file beside it is renamed over it).
bool WriteCompoundFile(std::wstring_view path, const std::vector<CompoundStream>& streams);
