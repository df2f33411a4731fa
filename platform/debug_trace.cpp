#include "platform/debug_trace.h"

#include <unistd.h>

#include <cstdlib>

#include "platform/text.h"

namespace {

constexpr std::size_t kMaxTraceChars = 511;

}  // namespace

bool DebugTraceEnabled() {
    const char* flag = std::getenv("TAVIOCR_DEBUG");
    return flag && *flag;
}

void DebugTraceText(std::wstring_view text) {
    if (!DebugTraceEnabled()) return;
    if (text.size() > kMaxTraceChars) text = text.substr(0, kMaxTraceChars);
    std::string line = WideToUtf8(text);
    // Callers end their traces with "\n" as the debug output expects; a trace
    // without one still gets its own line.
    if (line.empty() || line.back() != '\n') line += '\n';
    (void)!::write(STDERR_FILENO, line.data(), line.size());
}
