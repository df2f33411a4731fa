#include "net/curl_client.h"

#include <cstring>

#include "net/transfer_options.h"
#include "platform/debug_trace.h"

namespace {

std::size_t AppendHeaderLine(char* data, std::size_t size, std::size_t count, void* target) {
    auto* headers = static_cast<std::string*>(target);
    const std::size_t n = size * count;
    if (headers->size() + n > 1024 * 1024) return 0;  // no server needs a megabyte of headers
    headers->append(data, n);
    return n;
}

void SetCommon(CURL* handle, const std::string& url, BoundedSink& sink) {
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    ApplyBoundedWrite(handle, sink);
    ApplyCertificateChecks(handle);
}

}  // namespace

CCurlClient::CCurlClient() = default;

CCurlClient::~CCurlClient() = default;

CurlHandle CCurlClient::Begin(const std::string& url, bool traceInitFailure) {
    body_.clear();
    CurlHandle handle(curl_easy_init());
    if (!handle) {
        if (traceInitFailure) DebugTrace(L"curl_easy_init error\n");
        return handle;
    }
    SetCommon(handle.get(), url, sink_);
    return handle;
}

const std::string& CCurlClient::Perform(CURL* handle) {
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, 180L);
    lastResult_ = curl_easy_perform(handle);
    if (lastResult_ != CURLE_OK) DebugTrace(L"curl_easy_perform error = %d\n", lastResult_);
    return body_;
}

std::string CCurlClient::Get(const std::string& url, const std::string& user,
                             const std::string& password) {
    CurlHandle handle = Begin(url, false);
    if (!handle) return {};
    const std::string credentials = user + ":" + password;
    curl_easy_setopt(handle.get(), CURLOPT_USERPWD, credentials.c_str());
    curl_easy_setopt(handle.get(), CURLOPT_TIMEOUT, 30L);
    return Perform(handle.get());
}

std::string CCurlClient::PostJson(const std::string& url, const std::string& body,
                                  const std::string& user, const std::string& password) {
    CurlHandle handle = Begin(url, true);
    if (!handle) return {};
    const std::string credentials = user + ":" + password;
    // The body goes as a C string: it ends at its first NUL.
    const std::string text(body.c_str());
    CurlList headers;
    AppendHeader(headers, "Content-Type:application/json;charset=UTF-8");
    curl_easy_setopt(handle.get(), CURLOPT_USERPWD, credentials.c_str());
    curl_easy_setopt(handle.get(), CURLOPT_POST, 1L);
    curl_easy_setopt(handle.get(), CURLOPT_POSTFIELDS, text.c_str());
    curl_easy_setopt(handle.get(), CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(handle.get(), CURLOPT_TIMEOUT, 20L);
    return Perform(handle.get());
}

std::string CCurlClient::PostWithHeaders(const std::string& url, const std::string& body,
                                         const std::vector<std::string>& headerLines) {
    headers_.clear();
    CurlHandle handle = Begin(url, true);
    if (!handle) return {};
    CurlList headers;
    for (const auto& line : headerLines) AppendHeader(headers, line);
    curl_easy_setopt(handle.get(), CURLOPT_POST, 1L);
    curl_easy_setopt(handle.get(), CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(handle.get(), CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(body.size()));
    if (headers) curl_easy_setopt(handle.get(), CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(handle.get(), CURLOPT_HEADERFUNCTION, AppendHeaderLine);
    curl_easy_setopt(handle.get(), CURLOPT_HEADERDATA, &headers_);
    curl_easy_setopt(handle.get(), CURLOPT_TIMEOUT, 30L);
    return Perform(handle.get());
}
