#include "app/cli/console_messages.h"

#include <cstdio>
#include <utility>

#include "app/language_file.h"
#include "platform/debug_trace.h"
#include "platform/text.h"

namespace {

// "Yes"/"No" style answers are never asked on a command line: "close".
constexpr int kAnswerClose = 7;

}  // namespace

std::wstring MessageText(std::wstring_view key, std::optional<std::wstring> argument) {
    const std::wstring format = LangMessage(key);
    if (format.empty()) return std::wstring(key);
    return argument ? SafeWideSprintf(format, *argument) : format;
}

void PrintError(const std::wstring& text) {
    std::fprintf(stderr, "taviocr-cli: %s\n", WideToUtf8(text).c_str());
}

int ConsoleMessages::ShowMessageByKey(std::wstring_view key, int,
                                      std::optional<std::wstring> fallback) {
    std::wstring text = LangMessage(key);
    if (text.empty()) text = fallback ? *fallback : std::wstring(key);
    std::lock_guard lock(mutex_);
    pending_.push_back(std::move(text));
    return kAnswerClose;
}

int ConsoleMessages::ShowMessageByKeyFormat(std::wstring_view key, std::wstring_view argument,
                                            int) {
    std::wstring text = MessageText(key, std::wstring(argument));
    std::lock_guard lock(mutex_);
    pending_.push_back(std::move(text));
    return kAnswerClose;
}

std::vector<std::wstring> ConsoleMessages::Take() {
    std::lock_guard lock(mutex_);
    return std::exchange(pending_, {});
}
