#include "app/program_module.h"

#include <dlfcn.h>

#include "app/process_globals.h"
#include "platform/debug_trace.h"
#include "platform/file_io.h"
#include "platform/text.h"

void* ProgramModuleEntry(std::wstring_view file, const char* symbol) {
    const std::string path = NarrowPath(Globals().ExeFolder + L"/" + std::wstring(file));
    void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        DebugTrace(L"%s: %s", std::wstring(file), Utf8ToWide(::dlerror()));
        return nullptr;
    }
    return ::dlsym(library, symbol);
}
