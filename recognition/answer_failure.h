#pragma once

#include <json/json.h>

#include <optional>
#include <string>

// What the client found wrong with what came back, carried inside the answer
// the way a transport failure is carried as "curl_error_code", so that the
// answer parser reports every failure in one place.
enum class AnswerFailure {
    NotJson,             // an error page or a proxy's refusal instead of an answer
    BrokenJson,          // cut off or malformed; detail = the parser's text
    CredentialsRefused,  // the token request refused the service keys
};

struct AnswerFailureInfo {
    AnswerFailure reason;
    std::string detail;
};

Json::Value MakeFailureAnswer(AnswerFailure reason, const std::string& detail);
// The message key of a transfer that brought no answer (a libcurl result).
const wchar_t* TransferFailureKey(int curlCode);

// The failure an answer carries, if any.
std::optional<AnswerFailureInfo> FailureOf(const Json::Value& answer);
