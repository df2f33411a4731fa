// Any bytes as a service answer: parsing must neither crash nor leak, and
// every rejection must come with a message. An answer read with its text
// entries deferred must give exactly what the whole tree gives. The same
// bytes as licence text must give text or nothing, never a crash.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/text.h"
#include "recognition/account_licence.h"
#include "recognition/answer_parser.h"
#include "recognition/json_reader.h"
#include "recognition/service_answer.h"

namespace {

class CountingMessages : public MessageDisplay {
public:
    int ShowMessageByKey(std::wstring_view, int, std::optional<std::wstring>) override {
        return ++shown;
    }
    int ShowMessageByKeyFormat(std::wstring_view, std::wstring_view, int) override {
        return ++shown;
    }
    int shown = 0;
};

ParseContext Context(KindCode kind, MessageDisplay* messages) {
    ParseContext context;
    context.jobKind = kind;
    context.callKind = kind;
    context.messages = messages;
    return context;
}

// The deferred reading against the whole tree, for plain text.
void CompareDeferredWithWhole(const std::string& text) {
    Json::Value whole;
    std::string error;
    const bool wholeOk = ParseJsonStrict(text, whole, error);
    ServiceAnswer deferred;
    const bool deferredOk = ReadServiceAnswer(text, deferred, error);
    if (wholeOk && !deferredOk) __builtin_trap();
    if (!deferredOk) return;
    CountingMessages a, b;
    const auto fromDeferred = ParseOcrAnswer(deferred, Context(KindCode::TextOfflineFirst, &a));
    if (!wholeOk) {
        // Only a broken entry can get this far; it must fail the answer.
        if (fromDeferred) __builtin_trap();
        return;
    }
    const auto fromWhole = ParseOcrAnswer(whole, Context(KindCode::TextOfflineFirst, &b));
    if (!fromDeferred != !fromWhole) __builtin_trap();
    if (fromDeferred && fromDeferred->textLines != fromWhole->textLines) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const Json::Value answer = ParseJsonLenient(text);
    for (KindCode kind :
         {KindCode::TextOfflineFirst, KindCode::IdCardBothSides, KindCode::BankCard,
          KindCode::DrivingLicence, KindCode::VatInvoice, KindCode::BankAccountLicence}) {
        CountingMessages messages;
        const auto result = ParseOcrAnswer(answer, Context(kind, &messages));
        // A rejection that is neither a JSON error nor a service or transport
        // error would leave the user without a word.
        if (!result && messages.shown == 0) __builtin_trap();
    }
    CompareDeferredWithWhole(text);
    (void)ParseAccountLicence(Utf8ToWide(text));
    return 0;
}
