// Any bytes as a language-file stream: the parser must neither crash nor read
// out of bounds, lookups must agree with the full parse, and what it parsed
// must survive encoding and parsing again.

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/lang_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string stored(reinterpret_cast<const char*>(data), size);
    const auto entries = ParseLangStream(stored);
    if (!entries) {
        if (LookupLangStream(stored, L"Title")) __builtin_trap();
        return 0;
    }
    for (const auto& [key, value] : *entries) {
        const auto found = LookupLangStream(stored, key);
        if (!found) __builtin_trap();
        (void)value;
    }
    const auto again = ParseLangStream(EncodeLangStream(*entries));
    if (!again || *again != *entries) __builtin_trap();
    return 0;
}
