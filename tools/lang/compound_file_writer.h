#pragma once

#include <string_view>
#include <vector>

#include "app/compound_file.h"

// Writes a new compound file with these root streams, replacing path whole
// (a temporary file beside it is renamed over it). The language tool's and
// the tests' writer; the program itself only reads.
bool WriteCompoundFile(std::wstring_view path, const std::vector<CompoundStream>& streams);
