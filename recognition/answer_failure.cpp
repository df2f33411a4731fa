#include "recognition/answer_failure.h"

#include "net/curl_error_text.h"

namespace {

// No service answer uses this member.
constexpr const char* kMember = "taviocr_answer_failure";

}  // namespace

Json::Value MakeFailureAnswer(AnswerFailure reason, const std::string& detail) {
    Json::Value answer(Json::objectValue);
    answer[kMember]["reason"] = static_cast<int>(reason);
    answer[kMember]["detail"] = detail;
    return answer;
}

std::optional<AnswerFailureInfo> FailureOf(const Json::Value& answer) {
    if (!answer.isObject()) return std::nullopt;
    const Json::Value& failure = answer[kMember];
    if (!failure.isObject() || !failure["reason"].isInt()) return std::nullopt;
    const int reason = failure["reason"].asInt();
    if (reason < 0 || reason > static_cast<int>(AnswerFailure::CredentialsRefused))
        return std::nullopt;
    return AnswerFailureInfo{static_cast<AnswerFailure>(reason),
                             failure["detail"].isString() ? failure["detail"].asString() : ""};
}

const wchar_t* TransferFailureKey(int curlCode) {
    switch (ClassifyTransfer(curlCode)) {
        case TransferFailure::TimedOut:
            return L"CURL_TIMEOUT";
        case TransferFailure::SecureConnection:
            return L"SecureConnectionFailed";
        case TransferFailure::AnswerTooLarge:
            return L"AnswerTooLarge";
        default:
            return L"CURL_NONETWORK";
    }
}
