// Any bytes as a service answer: parsing must neither crash nor leak, and
// every rejection must come with a message. The same bytes as licence text
// must give text or nothing, never a crash.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/text.h"
#include "recognition/account_licence.h"
#include "recognition/answer_parser.h"
#include "recognition/json_reader.h"

namespace {

class CountingMessages : public MessageDisplay {
public:
    int ShowMessageByKey(std::wstring_view, int, std::optional<std::wstring>) override { return ++shown; }
    int ShowMessageByKeyFormat(std::wstring_view, std::wstring_view, int) override { return ++shown; }
    int shown = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const Json::Value answer = ParseJsonLenient(text);
    for (int kind : {0, 5, 8, 9, 11, 14}) {
        CountingMessages messages;
        ParseContext context;
        context.jobKind = kind;
        context.callKind = kind;
        context.messages = &messages;
        const auto result = ParseOcrAnswer(answer, context);
        // A rejection that is neither a JSON error nor a service or transport
        // error would leave the user without a word.
        if (!result && messages.shown == 0) __builtin_trap();
    }
    (void)ParseAccountLicence(Utf8ToWide(text));
    return 0;
}
