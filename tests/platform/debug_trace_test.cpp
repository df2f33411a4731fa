#include "platform/debug_trace.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/child_process.h"

namespace {

std::string TraceOutput(bool enabled, const std::function<void()>& trace) {
    return RunInChild([&] {
               if (enabled)
                   ::setenv("TAVIOCR_DEBUG", "1", 1);
               else
                   ::unsetenv("TAVIOCR_DEBUG");
               trace();
               return 0;
           })
        .output;
}

}  // namespace

TEST(DebugTrace, WritesOneLineOnlyWhenSwitchedOn) {
    EXPECT_EQ(TraceOutput(true, [] { DebugTrace(L"[taviOCR] code %d %s\n", 28, L"中"); }),
              "[taviOCR] code 28 \xE4\xB8\xAD\n");
    EXPECT_EQ(TraceOutput(false, [] { DebugTrace(L"[taviOCR] code %d\n", 28); }), "");
}

TEST(DebugTrace, MismatchedFormatGivesTheFormatItself) {
    EXPECT_EQ(TraceOutput(true, [] { DebugTrace(L"value %s and %d\n", 5); }), "value %s and %d\n");
}

TEST(DebugTrace, LongTextIsCutTo511Characters) {
    const std::string out = TraceOutput(true, [] { DebugTraceText(std::wstring(2000, L'a')); });
    EXPECT_EQ(out, std::string(511, 'a') + "\n");
}
