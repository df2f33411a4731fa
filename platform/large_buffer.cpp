#include "platform/large_buffer.h"

#include <sys/mman.h>

#include <cstdint>

namespace {

constexpr std::size_t kHugePage = 2 * 1024 * 1024;
constexpr std::size_t kAdviseFrom = 4 * 1024 * 1024;

}  // namespace

void ReserveLargeBuffer(std::string& buffer, std::size_t size) {
    buffer.reserve(size);
    if (size < kAdviseFrom) return;
    // Only whole huge pages inside the allocation can be advised; the advice
    // is a hint, so a kernel without transparent huge pages simply ignores it.
    const auto begin = reinterpret_cast<std::uintptr_t>(buffer.data());
    const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t end = (begin + buffer.capacity()) & ~(kHugePage - 1);
    if (end > first) ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
}
