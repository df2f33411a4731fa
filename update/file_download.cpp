// Update downloads over libcurl, on the calling thread.

#include "update/file_download.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <utility>

#include "net/transfer_options.h"
#include "platform/file_io.h"
#include "platform/private_folder.h"
#include "platform/text.h"

namespace {

// A stall ends after a minute without a byte.
constexpr long kStallSeconds = 60;

class PrivateFile {
public:
    explicit PrivateFile(const std::string& path)
        : path_(path), fd_(CreateFreshFile(Utf8ToWide(path))) {}
    ~PrivateFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!kept_) ::unlink(path_.c_str());
    }
    bool ok() const { return fd_ >= 0; }
    bool Write(const char* data, std::size_t size) {
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::write(fd_, data + done, size - done);
            if (n <= 0) return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }
    bool Finish() { return ::fsync(fd_) == 0 && ::close(std::exchange(fd_, -1)) == 0; }
    // The file stays (to be renamed) instead of going with this object.
    void Keep() { kept_ = true; }

private:
    std::string path_;
    int fd_;
    bool kept_ = false;
};

// What has come so far, checked against what the answer announced.
struct Download {
    CURL* handle;
    PrivateFile* file;
    qint64 maxBytes;
    qint64 written = 0;
};

// The status and announced length of the answer; a length of -1 when none
// was announced.
std::pair<long, curl_off_t> AnswerHead(CURL* handle) {
    long status = 0;
    curl_off_t length = -1;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    return {status, length};
}

// Returning less than was given ends the transfer.
std::size_t WriteBlock(char* data, std::size_t size, std::size_t count, void* target) {
    auto& download = *static_cast<Download*>(target);
    const std::size_t n = size * count;
    const auto [status, length] = AnswerHead(download.handle);
    // Without a length nothing tells a whole installer from a cut one.
    if (status != 200 || length < 0 || length > download.maxBytes ||
        download.written + static_cast<qint64>(n) > length)
        return 0;
    if (!download.file->Write(data, n)) return 0;
    download.written += static_cast<qint64>(n);
    return n;
}

}  // namespace

bool DownloadFile(const std::wstring& url, const std::wstring& target, DownloadLimits limits) {
    const std::string temporary = NarrowPath(target) + ".upd";
    PrivateFile file(temporary);
    CurlHandle handle(curl_easy_init());
    if (!file.ok() || !handle) return false;
    const std::string address = WideToUtf8(url);
    Download download{handle.get(), &file, limits.maxBytes};
    CURL* h = handle.get();
    curl_easy_setopt(h, CURLOPT_URL, address.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.total.count()));
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, WriteBlock);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &download);
    ApplyCertificateChecks(h);  // and the end of a cancelled transfer
    const CURLcode result = curl_easy_perform(h);
    const auto [status, length] = AnswerHead(h);
    const bool complete = result == CURLE_OK && status == 200 && length >= 0 &&
                          length <= limits.maxBytes && download.written == length && file.Finish();
    if (!complete || std::rename(temporary.c_str(), NarrowPath(target).c_str()) != 0) return false;
    file.Keep();
    return true;
}
