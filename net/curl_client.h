#pragma once

#include <string>
#include <vector>

#include "net/transfer_options.h"

// Blocking byte-string transfers on the caller's thread, for the table service,
// the account server and usage reports. HTTP statuses are not looked at: the
// body of any answer is returned; an empty answer is the failure.
class CCurlClient {
public:
    CCurlClient();
    ~CCurlClient();
    CCurlClient(const CCurlClient&) = delete;
    CCurlClient& operator=(const CCurlClient&) = delete;

    // GET with basic credentials; 30 s in all.
    std::string Get(const std::string& url, const std::string& user, const std::string& password);
    // POST of a JSON body up to its first NUL, 20 s in all.
    std::string PostJson(const std::string& url, const std::string& body, const std::string& user,
                         const std::string& password);
    // POST of the exact body bytes with the given header lines, 30 s in all;
    // the answer's header lines stay readable through ResponseHeaders().
    std::string PostWithHeaders(const std::string& url, const std::string& body,
                                const std::vector<std::string>& headerLines);

    const std::string& ResponseHeaders() const { return headers_; }
    // libcurl's result of the last transfer (0 success).
    int LastResult() const { return lastResult_; }

private:
    // A handle with URL, bounded body and certificate checks; empty on failure.
    CurlHandle Begin(const std::string& url, bool traceInitFailure);
    // Connect limit, transfer, trace of a failure; the body that arrived.
    const std::string& Perform(CURL* handle);

    std::string body_;
    BoundedSink sink_{&body_};
    std::string headers_;
    int lastResult_ = 0;
};
