#include "net/system_http.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>

#include "net/curl_text_client.h"
#include "platform/cancellation.h"
#include "platform/file_io.h"
#include "platform/text.h"

namespace {

constexpr int kFallbackTimeoutMs = 20000;
constexpr std::size_t kSocketAnswerBytes = 4095;

class Socket {
public:
    Socket() : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {}
    ~Socket() {
        if (fd_ >= 0) ::close(fd_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

bool ResolveIpv4(const std::string& host, in_addr& address) {
    if (::inet_pton(AF_INET, host.c_str(), &address) == 1) return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
    address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
    ::freeaddrinfo(found);
    return true;
}

// From the first "{" to the last "}" of the body; empty without both.
std::string BracedPart(const std::string& answer) {
    const std::size_t headersEnd = answer.find("\r\n\r\n");
    if (headersEnd == std::string::npos) return {};
    const std::string body = answer.substr(headersEnd + 4);
    const std::size_t open = body.find('{');
    const std::size_t close = body.rfind('}');
    if (open == std::string::npos || close == std::string::npos || close < open) return {};
    return body.substr(open, close - open + 1);
}

}  // namespace

bool SplitUrl(std::string_view url, UrlParts& parts) {
    const std::size_t scheme = url.find("://");
    if (scheme == std::string_view::npos) return false;
    std::string_view rest = url.substr(scheme + 3);
    const std::size_t slash = rest.find_first_of("/?");
    std::string_view authority = rest.substr(0, slash);
    parts.path = slash == std::string_view::npos ? "/" : std::string(rest.substr(slash));
    if (parts.path.front() == '?') parts.path = std::string("/") + parts.path;
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos)
        authority.remove_prefix(at + 1);
    parts.port = 80;
    if (const std::size_t colon = authority.rfind(':'); colon != std::string_view::npos) {
        const std::string_view port = authority.substr(colon + 1);
        int number = 0;
        const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), number);
        if (error != std::errc() || end != port.data() + port.size() || number <= 0 ||
            number > 65535)
            return false;
        parts.port = number;
        authority = authority.substr(0, colon);
    }
    parts.host = std::string(authority);
    return !parts.host.empty();
}

std::wstring GetUrlText(const std::wstring& url, bool utf8, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    const auto left = [deadline] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
    };
    // A stage with less time than this left would hardly get an answer.
    const auto worthATry = [&left] { return left() >= std::chrono::milliseconds(500); };
    std::wstring text = CCurlTextClient(utf8, false).GetText(url, left());
    if (text.empty() && worthATry())
        text = GetStringFromUrl(
            url, static_cast<int>(std::min<long long>(kFallbackTimeoutMs, left().count())));
    if (text.empty() && worthATry()) text = WinInetGetText(url, utf8, kFallbackTimeoutMs, left());
    return text;
}

std::wstring GetStringFromUrl(const std::wstring& url, int timeoutMs) {
    UrlParts parts;
    if (!SplitUrl(WideToUtf8(url), parts)) return {};
    Socket socket;
    if (socket.fd() < 0) return {};
    // The limit holds for the whole request, not each call: a server that
    // sends a byte now and then cannot keep the caller forever.
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : kFallbackTimeoutMs);
    const auto ready = [&](short events) {
        while (!WorkCancelled()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return false;
            pollfd watch{socket.fd(), events, 0};
            const int n =
                ::poll(&watch, 1, static_cast<int>(std::min<long long>(left.count(), 200)));
            if (n > 0) return true;
            if (n < 0 && errno != EINTR) return false;
        }
        return false;
    };
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(parts.port));
    if (!ResolveIpv4(parts.host, address.sin_addr)) return {};
    ::fcntl(socket.fd(), F_SETFL, ::fcntl(socket.fd(), F_GETFL) | O_NONBLOCK);
    if (::connect(socket.fd(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        int error = errno;
        socklen_t size = sizeof error;
        if (error != EINPROGRESS || !ready(POLLOUT) ||
            ::getsockopt(socket.fd(), SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0)
            return {};
    }
    const std::string request = WideToAnsi(Utf8ToWide(
        "GET " + parts.path + " HTTP/1.1\r\nHOST:" + parts.host + "\r\nConnection: Close\r\n\r\n"));
    for (std::size_t sent = 0; sent < request.size();) {
        if (!ready(POLLOUT)) return {};
        const ssize_t n =
            ::send(socket.fd(), request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) return {};
        sent += static_cast<std::size_t>(n);
    }
    // Read until the server closes or the limit is reached: one receive may
    // hold only the headers, and the answer would be lost.
    std::string answer(kSocketAnswerBytes, '\0');
    std::size_t received = 0;
    while (received < answer.size() && ready(POLLIN)) {
        const ssize_t n =
            ::recv(socket.fd(), answer.data() + received, answer.size() - received, 0);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) break;
        received += static_cast<std::size_t>(n);
    }
    answer.resize(received);
    return AnsiToWide(BracedPart(answer));
}

bool PostForm(const std::wstring& url, std::string_view body, std::wstring& output) {
    return CCurlTextClient(true, false).PostText(url, L"", L"", AnsiToWide(body), &output);
}

bool GetOsName(std::wstring& name) {
    for (const wchar_t* path : {L"/etc/os-release", L"/usr/lib/os-release"}) {
        const auto release = ReadWholeFile(path, 64 * 1024);
        if (!release) continue;
        std::size_t start = 0;
        while (start < release->size()) {
            const std::size_t end = std::min(release->find('\n', start), release->size());
            std::string line = release->substr(start, end - start);
            start = end + 1;
            if (line.rfind("PRETTY_NAME=", 0) != 0) continue;
            line.erase(0, 12);
            if (line.size() >= 2 && (line.front() == '"' || line.front() == '\'') &&
                line.back() == line.front())
                line = line.substr(1, line.size() - 2);
            if (line.empty()) return false;
            name = Utf8ToWide(line);
            return true;
        }
    }
    return false;
}
