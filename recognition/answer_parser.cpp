#include "recognition/answer_parser.h"

#include "app/diagnostics.h"
#include "app/language_file.h"
#include "platform/debug_trace.h"
#include "platform/text.h"
#include "recognition/answer_failure.h"
#include "recognition/card_parsers.h"
#include "recognition/daily_count.h"
#include "recognition/json_reader.h"
#include "recognition/kinds.h"

namespace {

constexpr int kCurlTimeout = 28;
constexpr int kCurlHostNotResolved = 6;

int IntMember(const Json::Value& answer, const char* name) { return LenientInt(answer[name]); }

// Unlike the diagnostic members, the error code decides: a code that is no
// number is a malformed answer, not a success.
std::int64_t ErrorCode(const Json::Value& code) {
    if (code.isNull()) return 0;
    if (code.isString()) {
        const std::int64_t number = LenientInt64(code);
        if (number == 0 && code.asString() != "0")
            throw Json::LogicError("error_code is no number");
        return number;
    }
    return code.asInt64();
}

void AddTextEntry(const Json::Value& entry, OcrResult& result) {
    result.textLines.push_back(ServiceText(entry["words"]));
    if (const Json::Value& p = entry["probability"]; p.isObject())
        result.probabilities.push_back(
            {LenientDouble(p["average"]), LenientDouble(p["variance"]), LenientDouble(p["min"])});
    if (const Json::Value& l = entry["location"]; l.isObject())
        result.locations.push_back({LenientInt(l["height"]), LenientInt(l["left"]),
                                    LenientInt(l["top"]), LenientInt(l["width"])});
}

void ParsePlainText(const ServiceAnswer& answer, OcrResult& result) {
    const Json::Value& words = answer.value["words_result"];
    if (!words.isNull() && !words.isArray()) throw Json::LogicError("words_result is not an array");
    if (answer.HasDeferredEntries()) {
        result.textLines.reserve(answer.entries.size());
        Json::Value entry;
        std::string error;
        for (std::size_t i = 0; i < answer.entries.size(); ++i) {
            if (!ReadEntry(answer, i, entry, error)) throw Json::LogicError(error);
            AddTextEntry(entry, result);
        }
    } else {
        for (Json::ArrayIndex i = 0; i < words.size(); ++i) AddTextEntry(words[i], result);
    }
    result.direction = IntMember(answer.value, "direction");
    result.language = IntMember(answer.value, "language");
}

void Show(const ParseContext& context, std::wstring_view key, int style,
          std::optional<std::wstring> fallback = std::nullopt) {
    if (context.messages) context.messages->ShowMessageByKey(key, style, std::move(fallback));
}

void ShowFailure(const ParseContext& context, const AnswerFailureInfo& failure) {
    DebugTraceText(L"[taviOCR] unusable answer: " + Utf8ToWide(failure.detail) + L"\n");
    switch (failure.reason) {
        case AnswerFailure::NotJson:
            Show(context, L"ServiceAnswerNotJson", kStyleInformation);
            break;
        case AnswerFailure::CredentialsRefused:
            Show(context, L"AuthorizationFailed", kStyleError);
            break;
        case AnswerFailure::BrokenJson:
            if (context.messages)
                context.messages->ShowMessageByKeyFormat(
                    L"JsonFormatErr", Utf8ToWide(failure.detail), kStyleInformation);
            break;
    }
}

}  // namespace

std::unique_ptr<OcrResult> ParseOcrAnswer(const Json::Value& answer, const ParseContext& context) {
    ServiceAnswer whole;
    whole.value = answer;
    return ParseOcrAnswer(whole, context);
}

std::unique_ptr<OcrResult> ParseOcrAnswer(const ServiceAnswer& service,
                                          const ParseContext& context) {
    const Json::Value& answer = service.value;
    std::unique_ptr<OcrResult> result;
    try {
        if (!answer.isObject()) throw Json::LogicError("the answer is not a JSON object");
        if (const auto failure = FailureOf(answer)) {
            ShowFailure(context, *failure);
            return nullptr;
        }
        const int curlError = IntMember(answer, "curl_error_code");
        if (curlError == kCurlTimeout) {
            Show(context, L"CURL_TIMEOUT", kStyleInformation);
            return nullptr;
        }
        if (curlError == kCurlHostNotResolved) {
            const bool offlineWasPossible = !context.useHighQuality && IsTextKind(context.callKind);
            Show(context, offlineWasPossible ? L"OCRNotResult" : L"CURL_NONETWORK",
                 kStyleInformation);
            return nullptr;
        }
        if (curlError != 0) {
            // Refused connections, TLS failures, resets and oversized answers
            // are failures too, not an empty result that reads as "no text".
            DebugTrace(L"[taviOCR] recognition transfer failed: %d\n", curlError);
            Show(context, TransferFailureKey(curlError), kStyleInformation);
            return nullptr;
        }
        const std::int64_t error = ErrorCode(answer["error_code"]);
        if (error != 0) {
            Show(context, L"AIPError" + std::to_wstring(error), kStyleError,
                 LangText(L"DefaultError"));
            return nullptr;
        }
        AddRecognitionToday();
        result = std::make_unique<OcrResult>();
        result->logId = LenientInt64(answer["log_id"]);
        result->kind = context.callKind;
        switch (context.jobKind) {
            case KindCode::IdCardBothSides:
                ParseIdentityCard(answer, *result);
                break;
            case KindCode::BankCard:
                ParseBankCard(answer, *result);
                break;
            case KindCode::VatInvoice:
                ParseVatInvoice(answer, *result);
                break;
            case KindCode::DrivingLicence:
            case KindCode::VehicleLicence:
            case KindCode::BusinessLicence:
            case KindCode::Passport:
                ParseLabelledFields(answer, *result);
                break;
            default:
                ParsePlainText(service, *result);
                // "{}" is a picture without text; any other answer without
                // lines (only a log_id, a shape of its own) is kept for diagnosis.
                if (!answer.isMember("words_result") && !answer.empty()) {
                    std::wstring members;
                    for (const std::string& name : answer.getMemberNames())
                        members += (members.empty() ? L"" : L", ") + Utf8ToWide(name);
                    WriteLog(L"[ParseOcrAnswer] answer without words_result: %s", members);
                }
                break;
        }
        if (context.jobKind != KindCode::Table)
            result->wordsCount = IntMember(answer, "words_result_num");
        return result;
    } catch (const Json::Exception& e) {
        if (context.messages)
            context.messages->ShowMessageByKeyFormat(L"JsonFormatErr", Utf8ToWide(e.what()),
                                                     kStyleInformation);
    } catch (const CStautsException& e) {
        Show(context, e.key(), kStyleInformation);
    } catch (...) {
    }
    return nullptr;
}
