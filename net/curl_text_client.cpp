#include "net/curl_text_client.h"

#include "net/curl_error_text.h"
#include "net/transfer_options.h"
#include "platform/debug_trace.h"
#include "platform/text.h"

CCurlTextClient::CCurlTextClient(bool utf8, bool ownsGlobalInit)
    : utf8_(utf8), ownsGlobalInit_(ownsGlobalInit) {
    if (ownsGlobalInit_) curl_global_init(CURL_GLOBAL_ALL);
}

CCurlTextClient::~CCurlTextClient() {
    if (ownsGlobalInit_) curl_global_cleanup();
}

// Decoding the whole answer at the end keeps a character split across chunks whole.
std::wstring CCurlTextClient::Decode(const std::string& bytes) const {
    return utf8_ ? Utf8ToWide(bytes) : AnsiToWide(bytes);
}

std::wstring CCurlTextClient::GetText(const std::wstring& url) {
    text_.clear();
    CurlHandle handle(curl_easy_init());
    if (!handle) return {};
    std::string bytes;
    BoundedSink sink{&bytes};
    const std::string narrowUrl = WideToAnsi(url);
    curl_easy_setopt(handle.get(), CURLOPT_URL, narrowUrl.c_str());
    curl_easy_setopt(handle.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle.get(), CURLOPT_USERPWD, "root:kemo");
    curl_easy_setopt(handle.get(), CURLOPT_CONNECTTIMEOUT, 5L);
    ApplyBoundedWrite(handle.get(), sink);
    ApplyCertificateChecks(handle.get());
    const CURLcode code = curl_easy_perform(handle.get());
    if (code != CURLE_OK)
        DebugTraceText(L"CURL Error CODE: " + Utf8ToWide(CurlErrorText(code)) + L"\n");
    text_ = Decode(bytes);
    return text_;
}

bool CCurlTextClient::PostText(const std::wstring& url, const std::wstring& user,
                               const std::wstring& password, const std::wstring& body,
                               std::wstring* output) {
    text_.clear();
    CurlHandle handle(curl_easy_init());
    if (!handle) return false;
    std::string bytes;
    BoundedSink sink{&bytes};
    const std::string narrowUrl = WideToAnsi(url);
    const std::string credentials = WideToAnsi(user) + ":" + WideToAnsi(password);
    const std::string narrowBody = WideToAnsi(body);
    curl_easy_setopt(handle.get(), CURLOPT_URL, narrowUrl.c_str());
    curl_easy_setopt(handle.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle.get(), CURLOPT_USERPWD, credentials.c_str());
    curl_easy_setopt(handle.get(), CURLOPT_POST, 1L);
    curl_easy_setopt(handle.get(), CURLOPT_POSTFIELDS, narrowBody.c_str());
    curl_easy_setopt(handle.get(), CURLOPT_TIMEOUT, 10L);
    curl_easy_setopt(handle.get(), CURLOPT_CONNECTTIMEOUT, 5L);
    ApplyBoundedWrite(handle.get(), sink);
    ApplyCertificateChecks(handle.get());
    const CURLcode code = curl_easy_perform(handle.get());
    if (code != CURLE_OK)
        DebugTraceText(L"CURL Error CODE: " + Utf8ToWide(CurlErrorText(code)) + L"\n");
    text_ = Decode(bytes);
    if (output) *output = text_;
    return code == CURLE_OK;
}
