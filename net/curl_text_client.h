#pragma once

#include <curl/curl.h>

#include <chrono>
#include <string>

// Blocking transfers of wide text, for the fallback GET and the form POST.
// Answers are decoded as UTF-8 or from the ANSI code page.
class CCurlTextClient {
public:
    CCurlTextClient(bool utf8, bool ownsGlobalInit);
    ~CCurlTextClient();
    CCurlTextClient(const CCurlTextClient&) = delete;
    CCurlTextClient& operator=(const CCurlTextClient&) = delete;

    // GET with the fixed credentials "root:kemo", connect limit 5 s, `limit` in all.
    std::wstring GetText(const std::wstring& url,
                         std::chrono::milliseconds limit = std::chrono::seconds(30));
    // Form POST, 10 s in all; true when the transfer succeeded. The answer is
    // copied to `output` whenever one is given, also on failure.
    bool PostText(const std::wstring& url, const std::wstring& user, const std::wstring& password,
                  const std::wstring& body, std::wstring* output = nullptr);

private:
    // Bounded, certificate-checked transfer; traces a failure and decodes the answer.
    CURLcode PerformInto(CURL* handle, std::string& bytes);
    std::wstring Decode(const std::string& bytes) const;

    bool utf8_;
    bool ownsGlobalInit_;
    std::wstring text_;
};
