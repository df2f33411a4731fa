#pragma once

#include <string_view>

// The address check run before every request that takes an e-mail address:
// at least 5 characters of A-Z, a-z, 0-9, "-", ".", "_" and "@"; exactly one
// "@"; one to three "." after it; no "." or "@" at the end; no "@." or ".@"
// after the first character.
bool IsValidEmail(std::wstring_view address);
