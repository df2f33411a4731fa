#pragma once

#include <string_view>

// Parts of the program that only some sessions need (the PDF reader, the
// barcode reader) are modules in the program folder, loaded at first use.
// Opens the module `file` there and returns its entry function `symbol`;
// null (and a line in the debug trace) when either is missing.
void* ProgramModuleEntry(std::wstring_view file, const char* symbol);
