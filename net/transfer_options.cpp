#include "net/transfer_options.h"

#include "net/endpoints.h"
#include "platform/cancellation.h"
#include "platform/large_buffer.h"

namespace {

// libcurl calls this at least once a second, also while nothing arrives.
int AbortWhenCancelled(void*, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return WorkCancelled() ? 1 : 0;
}

}  // namespace

void ApplyCertificateChecks(CURL* handle) {
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, AbortWhenCancelled);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    const std::string& bundle = Endpoints().caBundle;
    if (!bundle.empty()) curl_easy_setopt(handle, CURLOPT_CAINFO, bundle.c_str());
}

std::size_t WriteToBoundedSink(char* data, std::size_t size, std::size_t count, void* target) {
    auto* sink = static_cast<BoundedSink*>(target);
    const std::size_t n = size * count;
    if (sink->bytes->size() + n > sink->limit) return 0;
    // A buffer that doubles as it grows holds up to three times the answer
    // while it is copied; the announced length lets it be taken once.
    if (sink->bytes->empty() && sink->handle) {
        curl_off_t announced = -1;
        if (curl_easy_getinfo(sink->handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced) ==
                CURLE_OK &&
            announced > 0 && static_cast<std::size_t>(announced) <= sink->limit)
            ReserveLargeBuffer(*sink->bytes, static_cast<std::size_t>(announced));
    }
    sink->bytes->append(data, n);
    return n;
}

void ApplyBoundedWrite(CURL* handle, BoundedSink& sink) {
    sink.handle = handle;
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, WriteToBoundedSink);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink);
}

void AppendHeader(CurlList& list, const std::string& line) {
    curl_slist* grown = curl_slist_append(list.get(), line.c_str());
    if (grown) {
        (void)list.release();
        list.reset(grown);
    }
}
