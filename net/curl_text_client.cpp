#include "net/curl_text_client.h"

#include <algorithm>

#include "net/curl_error_text.h"
#include "net/curl_global.h"
#include "net/transfer_options.h"
#include "platform/debug_trace.h"
#include "platform/text.h"

CCurlTextClient::CCurlTextClient(bool utf8, bool ownsGlobalInit)
    : utf8_(utf8), ownsGlobalInit_(ownsGlobalInit) {
    // Owning the set-up means making sure of it; the cleanup is the process's.
    if (ownsGlobalInit_) EnsureCurlGlobalInit();
}

CCurlTextClient::~CCurlTextClient() = default;

// Decoding the whole answer at the end keeps a character split across chunks whole.
std::wstring CCurlTextClient::Decode(const std::string& bytes) const {
    return utf8_ ? Utf8ToWide(bytes) : AnsiToWide(bytes);
}

CURLcode CCurlTextClient::PerformInto(CURL* handle, std::string& bytes) {
    BoundedSink sink{&bytes, kMaxTextAnswerBytes};
    ApplyBoundedWrite(handle, sink);
    ApplyCertificateChecks(handle);
    const CURLcode code = curl_easy_perform(handle);
    if (code != CURLE_OK)
        DebugTraceText(L"CURL Error CODE: " + Utf8ToWide(CurlErrorText(code)) + L"\n");
    text_ = Decode(bytes);
    return code;
}

std::wstring CCurlTextClient::GetText(const std::wstring& url, std::chrono::milliseconds limit) {
    text_.clear();
    CurlHandle handle(curl_easy_init());
    if (!handle) return {};
    std::string bytes;
    const std::string narrowUrl = WideToAnsi(url);
    curl_easy_setopt(handle.get(), CURLOPT_URL, narrowUrl.c_str());
    curl_easy_setopt(handle.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle.get(), CURLOPT_USERPWD, "root:kemo");
    curl_easy_setopt(handle.get(), CURLOPT_CONNECTTIMEOUT, 5L);
    // Zero would mean no limit at all.
    curl_easy_setopt(handle.get(), CURLOPT_TIMEOUT_MS,
                     static_cast<long>(std::max<long long>(1, limit.count())));
    PerformInto(handle.get(), bytes);
    return text_;
}

bool CCurlTextClient::PostText(const std::wstring& url, const std::wstring& user,
                               const std::wstring& password, const std::wstring& body,
                               std::wstring* output) {
    text_.clear();
    CurlHandle handle(curl_easy_init());
    if (!handle) return false;
    std::string bytes;
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
    const CURLcode code = PerformInto(handle.get(), bytes);
    if (output) *output = text_;
    return code == CURLE_OK;
}
