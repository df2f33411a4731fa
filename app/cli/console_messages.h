#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "recognition/recognition_interfaces.h"

// The recognition's messages, as the language file words them, held until
// the command line knows which picture they belong to.
class ConsoleMessages : public MessageDisplay {
public:
    int ShowMessageByKey(std::wstring_view key, int style,
                         std::optional<std::wstring> fallback) override;
    int ShowMessageByKeyFormat(std::wstring_view key, std::wstring_view argument,
                               int style) override;
    // The messages held since the last call.
    std::vector<std::wstring> Take();

private:
    std::mutex mutex_;
    std::vector<std::wstring> pending_;
};

// "taviocr-cli: " + text, as one line on standard error.
void PrintError(const std::wstring& text);
// The text of a message key, formatted with one argument when given; the key
// itself when the language file has no text for it.
std::wstring MessageText(std::wstring_view key, std::optional<std::wstring> argument = {});
