#pragma once

#include <json/json.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "net/transfer_options.h"
#include "recognition/json_reader.h"
#include "recognition/kinds.h"
#include "recognition/service_answer.h"

// Form pairs "key=value&" in map order, every key and value escaped.
std::string EncodeFormPairs(const FormMap& pairs);
// The form of an endpoint call, "image" = Base64 of the bytes among the
// options, exactly as EncodeFormPairs would give it, built without the
// intermediate Base64 text.
std::string EncodeImageForm(std::string_view imageBytes, const FormMap& options);

// Client of the cloud OCR REST service: caches an OAuth access token
// (client-credentials grant) and performs every recognition as one form POST
// whose JSON answer it returns. Transport failures come back as
// {"curl_error_code": n}; answers that are no JSON, are cut off, or a refusal
// of the service keys come back as an answer failure (answer_failure.h).
class OcrClient {
public:
    OcrClient(std::string appId, std::string apiKey, std::string secretKey, std::string host);

    std::string GetAccessToken();
    Json::Value OcrRequest(const std::string& url, const FormMap& query, const FormMap& form,
                           const FormMap& headers, bool retried = false);
    int HttpPostForm(const std::string& url, const FormMap& query, const std::string& body,
                     const FormMap& headers, std::string& response);

    // The endpoint call of a kind: "image" = Base64 of the bytes, plus options.
    // The answer keeps its text entries as text (see ServiceAnswer).
    ServiceAnswer Recognize(KindCode kind, const std::string& imageBytes, const FormMap& options);

    void SetDebug(bool on) { debug_ = on; }
    // For callers that keep a client longer than one image.
    std::int64_t TokenExpiry() const { return tokenExpiry_; }
    void SetCachedToken(std::string token, std::int64_t expiry) {
        accessToken_ = std::move(token);
        tokenExpiry_ = expiry;
    }
    // Token fetches made so far.
    int TokenFetches() const { return tokenFetches_; }

private:
    // OcrRequest over a body already encoded (the retry posts the same bytes).
    ServiceAnswer PostEncodedForm(const std::string& url, const FormMap& query,
                                  const std::string& body, const FormMap& headers, bool retried);
    // Time limits, verbosity, bounded answer and certificate checks of every transfer.
    void ApplyTransferOptions(CURL* handle, BoundedSink& sink) const;

    // Why the last token fetch gave no token (a transport failure, refused
    // keys, an answer that is no token answer), as the answer to return
    // instead of posting the picture with a junk token.
    std::optional<Json::Value> tokenFailure_;

    std::string appId_;
    std::string apiKey_;
    std::string secretKey_;
    std::string host_;
    std::string scope_;
    std::string accessToken_;
    std::int64_t tokenExpiry_ = 0;
    bool debug_ = false;
    long connectTimeoutMs_ = 60000;
    long transferTimeoutMs_ = 60000;
    int tokenFetches_ = 0;
};
