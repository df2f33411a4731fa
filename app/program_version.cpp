#include "app/program_version.h"

#include "platform/registry.h"
#include "platform/text.h"
#include "taviocr_version.h"

std::wstring BuiltVersion() { return Utf8ToWide(TAVIOCR_VERSION); }

std::wstring ProgramVersion() {
    std::wstring stored =
        RegReadString(RegistryHive::LocalMachine, L"Software\\TaviOCR", L"Version", 520)
            .value_or(std::wstring());
    std::erase_if(stored, [](wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); });
    return stored.empty() ? BuiltVersion() : stored;
}
