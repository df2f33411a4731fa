#include "net/curl_global.h"

#include <curl/curl.h>

#include <mutex>

#include "platform/debug_trace.h"

namespace {

std::once_flag initialised;

}  // namespace

void EnsureCurlGlobalInit() {
    std::call_once(initialised, [] {
        if (curl_global_init(CURL_GLOBAL_ALL) != CURLE_OK)
            DebugTrace(L"curl_global_init return code err.\n");
    });
}

CurlGlobalScope::CurlGlobalScope() { EnsureCurlGlobalInit(); }

CurlGlobalScope::~CurlGlobalScope() { curl_global_cleanup(); }
