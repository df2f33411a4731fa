#include "app/program_version.h"

#include "platform/registry.h"
#include "platform/text.h"
#include "taviocr_version.h"

std::wstring BuiltVersion() { return Utf8ToWide(TAVIOCR_VERSION); }

std::wstring ProgramVersion() {
    const std::wstring stored = WithoutWhiteSpace(
        RegReadString(RegistryHive::LocalMachine, L"Software\\TaviOCR", L"Version", 520)
            .value_or(std::wstring()));
    return stored.empty() ? BuiltVersion() : stored;
}
