// The last fallback of the GET chain: through the system's proxy (as the
// environment names it: http_proxy, https_proxy, no_proxy), then directly.

#include <curl/curl.h>

#include <algorithm>

#include "net/system_http.h"
#include "net/transfer_options.h"
#include "platform/cancellation.h"
#include "platform/text.h"

namespace {

constexpr std::size_t kBlockBytes = 4096;
constexpr long kTotalTimeoutMs = 30000;

// One block is all that is read: the transfer stops as soon as it has come.
std::size_t TakeFirstBlock(char* data, std::size_t size, std::size_t count, void* target) {
    auto& block = *static_cast<std::string*>(target);
    const std::size_t n = size * count;
    block.append(data, std::min(n, kBlockBytes - block.size()));
    return block.size() < kBlockBytes ? n : 0;
}

std::string FetchOnce(const std::string& url, bool useProxy, int connectTimeoutMs,
                      long totalTimeoutMs) {
    std::string block;
    CurlHandle handle(curl_easy_init());
    if (!handle) return block;
    CURL* h = handle.get();
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_USERAGENT, "TaviOCR");
    if (!useProxy) curl_easy_setopt(h, CURLOPT_NOPROXY, "*");
    if (connectTimeoutMs > 0)
        curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connectTimeoutMs));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, totalTimeoutMs);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, TakeFirstBlock);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &block);
    ApplyCertificateChecks(h);  // and the end of a cancelled transfer
    const CURLcode result = curl_easy_perform(h);
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    // A full block ends the transfer on purpose; an error page is no answer.
    if ((result != CURLE_OK && block.size() < kBlockBytes) || status != 200) block.clear();
    return block;
}

}  // namespace

std::wstring WinInetGetText(const std::wstring& url, bool utf8, int connectTimeoutMs,
                            std::chrono::milliseconds limit) {
    const std::string address = WideToUtf8(url);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (const bool useProxy : {true, false}) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (WorkCancelled() || left <= 0) break;
        const std::string bytes =
            FetchOnce(address, useProxy, connectTimeoutMs,
                      static_cast<long>(std::min<long long>(kTotalTimeoutMs, left)));
        std::wstring text = utf8 ? Utf8ToWide(bytes) : AnsiToWide(bytes);
        if (!text.empty()) return text;
    }
    return {};
}
