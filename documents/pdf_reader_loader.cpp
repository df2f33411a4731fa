#include <dlfcn.h>

#include "app/process_globals.h"
#include "documents/pdf_reader_module.h"
#include "platform/debug_trace.h"
#include "platform/file_io.h"
#include "platform/text.h"

const PdfReaderModule* LoadPdfReader() {
    static const PdfReaderModule* const module = []() -> const PdfReaderModule* {
        const std::string path = NarrowPath(Globals().ExeFolder + L"/pdf_reader.so");
        void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            DebugTrace(L"pdf_reader.so: %s", Utf8ToWide(::dlerror()));
            return nullptr;
        }
        const auto get =
            reinterpret_cast<decltype(&TaviocrPdfReader)>(::dlsym(library, "TaviocrPdfReader"));
        return get ? get() : nullptr;
    }();
    return module;
}
