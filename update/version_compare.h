#pragma once

#include <string_view>

// Orders version texts part by part: "1.2.10" is newer than "1.2.9". Parts
// that are numbers compare as numbers; any other part compares as text;
// missing parts count as empty (so "1.2" is older than "1.2.1").
// Negative, zero or positive, as strcmp.
int CompareVersions(std::wstring_view a, std::wstring_view b);
