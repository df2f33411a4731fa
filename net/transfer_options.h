#pragma once

#include <curl/curl.h>

#include <cstddef>
#include <memory>
#include <string>

// What every transfer of the program shares: certificates are verified
// (peer and host name, against the configured CA bundle when one is set), a
// cancelled transfer ends (see transfer_cancel.h), and no answer may grow
// beyond a fixed bound, so a hostile or broken server cannot exhaust memory.

inline constexpr std::size_t kMaxAnswerBytes = 64 * 1024 * 1024;
// Short text answers (version page, account and report answers) are a few
// hundred bytes; as wide text a 64 MB one would take a quarter of a gigabyte.
inline constexpr std::size_t kMaxTextAnswerBytes = 1024 * 1024;

// Certificate checks and the end of a cancelled transfer: every handle gets them.
void ApplyCertificateChecks(CURL* handle);

// A byte string that refuses to grow beyond its limit; handed to libcurl as the
// write target, an overflow aborts the transfer (CURLE_WRITE_ERROR).
struct BoundedSink {
    std::string* bytes;
    std::size_t limit = kMaxAnswerBytes;
    CURL* handle = nullptr;  // set by ApplyBoundedWrite: the announced length sizes the buffer
};
std::size_t WriteToBoundedSink(char* data, std::size_t size, std::size_t count, void* sink);
// Sets the write callback with a sink that must outlive the transfer.
void ApplyBoundedWrite(CURL* handle, BoundedSink& sink);

struct CurlHandleDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using CurlHandle = std::unique_ptr<CURL, CurlHandleDeleter>;
struct CurlListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlList = std::unique_ptr<curl_slist, CurlListDeleter>;

// Appends a line to a header list, keeping ownership in the smart pointer.
void AppendHeader(CurlList& list, const std::string& line);
