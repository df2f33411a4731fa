// Any bytes as a compound (language) file: the reader must neither crash,
// hang nor read out of bounds, and what it returns keeps to the size limit.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/compound_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kLimit = 1 << 16;
    const auto streams =
        ParseCompoundStreams(std::string_view(reinterpret_cast<const char*>(data), size), kLimit);
    if (!streams) return 0;
    for (const auto& [name, bytes] : *streams)
        if (bytes.size() >= kLimit || name.size() > 4 * 32) __builtin_trap();
    return 0;
}
