#pragma once

#include <QtGlobal>
#include <chrono>
#include <string>

// How much a download may bring and how long it may take in all.
struct DownloadLimits {
    qint64 maxBytes;
    std::chrono::milliseconds total;
};

// Downloads a file over plain HTTP (the URL's port, else 80) into `target`:
// the bytes go to target + ".upd" first, readable and writable by this user
// only, and replace the target only when the answer had status 200, a
// Content-Length, and exactly that many bytes came. An answer announcing or
// bringing more than maxBytes fails at once. The download ends early once
// transfers are cancelled or its time is up, and stalls end after a minute
// without a byte. True on success; a failure leaves the target untouched and
// no ".upd" file behind.
bool DownloadFile(const std::wstring& url, const std::wstring& target, DownloadLimits limits);

inline constexpr DownloadLimits kRemoteConfigLimits{1024 * 1024, std::chrono::seconds(10)};
// A package comes over a slow line, too: half an hour for 200 MiB.
inline constexpr DownloadLimits kPackageLimits{200 * 1024 * 1024, std::chrono::minutes(30)};
// A detached signature is 64 bytes; anything much longer is no signature.
inline constexpr DownloadLimits kSignatureLimits{4096, std::chrono::seconds(10)};
