#include "programs/cli/console_messages.h"

#include <cstdio>

#include "platform/text.h"

void PrintError(const std::wstring& text) {
    std::fprintf(stderr, "taviocr-cli: %s\n", WideToUtf8(text).c_str());
}
