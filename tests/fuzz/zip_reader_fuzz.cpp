// Any bytes as a zip archive (a skin package, a workbook from the service):
// the reader must neither crash nor read out of bounds, and what it hands
// out keeps to the size limit.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/zip_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kLimit = 1 << 16;
    const auto archive = ZipReader::Open(std::string(reinterpret_cast<const char*>(data), size));
    if (!archive) return 0;
    for (const std::string& name : archive->Names())
        if (const auto bytes = archive->Read(name, "qmv5858k5pkpf@pq", kLimit);
            bytes && bytes->size() > kLimit)
            __builtin_trap();
    return 0;
}
