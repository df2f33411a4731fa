#include "app/program_module.h"
#include "documents/pdf_reader_module.h"

const PdfReaderModule* LoadPdfReader() {
    static const PdfReaderModule* const module = []() -> const PdfReaderModule* {
        const auto get = reinterpret_cast<decltype(&TaviocrPdfReader)>(
            ProgramModuleEntry(L"pdf_reader.so", "TaviocrPdfReader"));
        return get ? get() : nullptr;
    }();
    return module;
}
