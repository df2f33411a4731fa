#include "recognition/ocr_client.h"

#include <algorithm>
#include <ctime>
#include <memory>

#include "net/transfer_options.h"
#include "platform/large_buffer.h"
#include "recognition/answer_failure.h"
#include "recognition/escaped_base64.h"
#include "recognition/image_prep.h"

namespace {

constexpr std::int64_t kTokenMarginSeconds = 86400;

Json::Value CurlErrorAnswer(int code) {
    Json::Value answer(Json::objectValue);
    answer["curl_error_code"] = code;
    return answer;
}

}  // namespace

// Written into one exactly sized buffer: the image's escaped Base64 text is
// most of a request, and every further copy of it costs as much as the encoding.
std::string EncodeFormPairs(const FormMap& pairs) {
    size_t size = 0;
    for (const auto& [key, value] : pairs) size += EscapedSize(key) + EscapedSize(value) + 2;
    std::string out;
    ReserveLargeBuffer(out, size);
    out.resize(size);
    char* o = out.data();
    for (const auto& [key, value] : pairs) {
        o = EscapeInto(o, key);
        *o++ = '=';
        o = EscapeInto(o, value);
        *o++ = '&';
    }
    return out;
}

std::string EncodeImageForm(std::string_view imageBytes, const FormMap& options) {
    static constexpr std::string_view kImageKey = "image";
    size_t size = kImageKey.size() + 2 + EscapedBase64Size(imageBytes);
    for (const auto& [key, value] : options)
        if (key != kImageKey) size += EscapedSize(key) + EscapedSize(value) + 2;
    std::string out;
    ReserveLargeBuffer(out, size);
    out.resize(size);
    char* o = out.data();
    bool imageWritten = false;
    const auto writeImage = [&] {
        o = std::copy(kImageKey.begin(), kImageKey.end(), o);
        *o++ = '=';
        o = EscapedBase64Into(o, imageBytes);
        *o++ = '&';
        imageWritten = true;
    };
    for (const auto& [key, value] : options) {
        if (key == kImageKey) continue;  // an option never replaces the image
        if (!imageWritten && key > kImageKey) writeImage();
        o = EscapeInto(o, key);
        *o++ = '=';
        o = EscapeInto(o, value);
        *o++ = '&';
    }
    if (!imageWritten) writeImage();
    return out;
}

OcrClient::OcrClient(std::string appId, std::string apiKey, std::string secretKey, std::string host)
    : appId_(std::move(appId)),
      apiKey_(std::move(apiKey)),
      secretKey_(std::move(secretKey)),
      host_(std::move(host)) {}

void OcrClient::ApplyTransferOptions(CURL* handle, BoundedSink& sink) const {
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, connectTimeoutMs_);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, transferTimeoutMs_);
    curl_easy_setopt(handle, CURLOPT_VERBOSE, debug_ ? 1L : 0L);
    ApplyBoundedWrite(handle, sink);
    ApplyCertificateChecks(handle);
}

std::string OcrClient::GetAccessToken() {
    const std::int64_t now = std::time(nullptr);
    if (!accessToken_.empty() && now < tokenExpiry_ - kTokenMarginSeconds) return accessToken_;
    ++tokenFetches_;
    tokenFailure_.reset();
    const FormMap params{{"grant_type", "client_credentials"},
                         {"client_id", apiKey_},
                         {"client_secret", secretKey_}};
    const std::string url = host_ + "/oauth/2.0/token?" + EncodeFormPairs(params);
    CurlHandle handle(curl_easy_init());
    if (!handle) {
        tokenFailure_ = CurlErrorAnswer(CURLE_FAILED_INIT);
        return {};
    }
    std::string response;
    BoundedSink sink{&response};
    curl_easy_setopt(handle.get(), CURLOPT_URL, url.c_str());
    ApplyTransferOptions(handle.get(), sink);
    const CURLcode code = curl_easy_perform(handle.get());
    if (code != CURLE_OK) {
        tokenFailure_ = CurlErrorAnswer(code);
        return {};
    }
    Json::Value answer;
    std::string parseError;
    if (!LooksLikeJson(response)) {
        tokenFailure_ = MakeFailureAnswer(AnswerFailure::NotJson, response.substr(0, 200));
        return {};
    }
    if (!ParseJsonStrict(response, answer, parseError) || !answer.isObject()) {
        tokenFailure_ = MakeFailureAnswer(AnswerFailure::BrokenJson, parseError);
        return {};
    }
    const Json::Value& token = answer["access_token"];
    accessToken_ = token.isString() ? token.asString() : std::string();
    if (accessToken_.empty()) {
        // {"error": "invalid_client", "error_description": "unknown client id"}:
        // asking again with the same keys cannot help.
        const std::string detail = LenientString(answer["error_description"]).empty()
                                       ? LenientString(answer["error"])
                                       : LenientString(answer["error_description"]);
        tokenFailure_ = MakeFailureAnswer(AnswerFailure::CredentialsRefused, detail);
        return {};
    }
    tokenExpiry_ = now + LenientInt64(answer["expires_in"]);
    scope_ = LenientString(answer["scope"]);
    return accessToken_;
}

Json::Value OcrClient::OcrRequest(const std::string& url, const FormMap& query, const FormMap& form,
                                  const FormMap& headers, bool retried) {
    return WholeAnswer(PostEncodedForm(url, query, EncodeFormPairs(form), headers, retried));
}

ServiceAnswer OcrClient::PostEncodedForm(const std::string& url, const FormMap& query,
                                         const std::string& body, const FormMap& headers,
                                         bool retried) {
    const auto failed = [](Json::Value value) {
        ServiceAnswer answer;
        answer.value = std::move(value);
        return answer;
    };
    FormMap fullQuery = query;
    fullQuery["aipSdk"] = "C";
    fullQuery["aipSdkVersion"] = "0.7.4";
    fullQuery["access_token"] = GetAccessToken();
    // Without a token there is nothing to post: report why instead of sending
    // the picture with a junk token.
    if (tokenFailure_) return failed(*tokenFailure_);
    std::string response;
    const int code = HttpPostForm(url, fullQuery, body, headers, response);
    if (code != 0) return failed(CurlErrorAnswer(code));
    if (!LooksLikeJson(response))
        return failed(MakeFailureAnswer(AnswerFailure::NotJson, response.substr(0, 200)));
    ServiceAnswer answer;
    std::string parseError;
    // A cut-off answer is not shown as if its first lines were the whole text.
    if (!ReadServiceAnswer(std::move(response), answer, parseError))
        return failed(MakeFailureAnswer(AnswerFailure::BrokenJson, parseError));
    if (!retried && answer.value.isObject()) {
        const std::int64_t error = LenientInt64(answer.value["error_code"]);
        if (error == 110 || error == 111) {
            accessToken_.clear();
            return PostEncodedForm(url, query, body, headers, true);
        }
    }
    return answer;
}

int OcrClient::HttpPostForm(const std::string& url, const FormMap& query, const std::string& body,
                            const FormMap& headers, std::string& response) {
    response.clear();
    CurlHandle handle(curl_easy_init());
    if (!handle) return CURLE_FAILED_INIT;
    CurlList headerList;
    for (const auto& [key, value] : headers) AppendHeader(headerList, key + ":" + value);
    std::string fullUrl = url;
    if (!query.empty()) {
        fullUrl += fullUrl.find('?') == std::string::npos ? '?' : '&';
        fullUrl += EncodeFormPairs(query);
    }
    BoundedSink sink{&response};
    curl_easy_setopt(handle.get(), CURLOPT_URL, fullUrl.c_str());
    curl_easy_setopt(handle.get(), CURLOPT_HTTPHEADER, headerList.get());
    curl_easy_setopt(handle.get(), CURLOPT_POST, 1L);
    curl_easy_setopt(handle.get(), CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(handle.get(), CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(body.size()));
    ApplyTransferOptions(handle.get(), sink);
    return curl_easy_perform(handle.get());
}

ServiceAnswer OcrClient::Recognize(KindCode kind, const std::string& imageBytes,
                                   const FormMap& options) {
    return PostEncodedForm(host_ + EndpointPathForKind(kind), {},
                           EncodeImageForm(imageBytes, options), {}, false);
}
