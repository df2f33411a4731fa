#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "recognition/recognition_interfaces.h"

// The recognition's messages, as the language file words them, held instead
// of shown: for a batch's summary, or for a command line that names the
// picture they belong to. Safe from any thread.
class CollectedMessages : public MessageDisplay {
public:
    // The key's text; the fallback (else the key) where the language file has none.
    int ShowMessageByKey(std::wstring_view key, int style,
                         std::optional<std::wstring> fallback) override;
    // The key's text as the format of the argument (the key where it has none).
    int ShowMessageByKeyFormat(std::wstring_view key, std::wstring_view argument,
                               int style) override;
    // The messages held since the last call.
    std::vector<std::wstring> Take();

private:
    std::mutex mutex_;
    std::vector<std::wstring> pending_;
};

// The text of a message key, formatted with one argument when given; the key
// itself when the language file has no text for it.
std::wstring MessageText(std::wstring_view key, std::optional<std::wstring> argument = {});
