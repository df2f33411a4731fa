#pragma once

#include <chrono>
#include <string>
#include <string_view>

// Short text answers from a URL with fallbacks, a form post, and the name of
// the operating system, for the update check, the account server and the
// usage reports. Every helper blocks its (worker) thread and answers with
// empty text or false on failure.

// libcurl first, then a plain socket, then Qt Network; each stage is tried
// only while the text so far is empty and the stages share the time limit,
// so a server that never answers costs `limit`, not the sum of the stages.
std::wstring GetUrlText(const std::wstring& url, bool utf8,
                        std::chrono::milliseconds limit = std::chrono::seconds(30));

// A hand-made HTTP/1.1 GET over a TCP socket, at most 4,095 bytes of answer
// (headers included); the text from the body's first "{" to its last "}",
// decoded from the ANSI code page. Always plain HTTP: on the URL's port, or 80.
std::wstring GetStringFromUrl(const std::wstring& url, int timeoutMs);

// Qt Network with the system's proxy settings, then once more without a
// proxy; at most 4,096 bytes of the body, as UTF-8 or from the ANSI code page.
// Each try takes at most 30 s, both together at most `limit`.
std::wstring WinInetGetText(const std::wstring& url, bool utf8, int connectTimeoutMs,
                            std::chrono::milliseconds limit = std::chrono::seconds(60));

// A form post through libcurl; the answer, decoded as UTF-8, goes to `output`.
bool PostForm(const std::wstring& url, std::string_view body, std::wstring& output);

// The name of the operating system: the distribution's pretty name from
// os-release ("Debian GNU/Linux 12 (bookworm)"); false when there is none.
bool GetOsName(std::wstring& name);

// The parts of an http(s) URL a plain request needs.
struct UrlParts {
    std::string host;
    int port = 80;
    std::string path;  // with the query, "/" when the URL has none
};
bool SplitUrl(std::string_view url, UrlParts& parts);
