#pragma once

#include <string>

// The version of this program: the machine store's "Version" (written when
// the program is installed), else the one it was built as (the CMake project
// version). About, the usage reports, the account requests and the update
// check all use this one.
std::wstring ProgramVersion();
// The version compiled in.
std::wstring BuiltVersion();
