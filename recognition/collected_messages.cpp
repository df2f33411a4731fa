#include "recognition/collected_messages.h"

#include <utility>

#include "app/language_file.h"
#include "platform/debug_trace.h"

namespace {

// Nothing is asked: every question counts as answered "close".
constexpr int kAnswerClose = 7;

}  // namespace

std::wstring MessageText(std::wstring_view key, std::optional<std::wstring> argument) {
    const std::wstring format = LangMessage(key);
    if (format.empty()) return std::wstring(key);
    return argument ? SafeWideSprintf(format, *argument) : format;
}

int CollectedMessages::ShowMessageByKey(std::wstring_view key, int,
                                        std::optional<std::wstring> fallback) {
    std::wstring text = LangMessage(key);
    if (text.empty()) text = fallback ? *fallback : std::wstring(key);
    const std::lock_guard lock(mutex_);
    pending_.push_back(std::move(text));
    return kAnswerClose;
}

int CollectedMessages::ShowMessageByKeyFormat(std::wstring_view key, std::wstring_view argument,
                                              int) {
    std::wstring text = MessageText(key, std::wstring(argument));
    const std::lock_guard lock(mutex_);
    pending_.push_back(std::move(text));
    return kAnswerClose;
}

std::vector<std::wstring> CollectedMessages::Take() {
    const std::lock_guard lock(mutex_);
    return std::exchange(pending_, {});
}
