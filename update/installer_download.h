#pragma once

#include <QtGlobal>
#include <string>

// Downloads a file over plain HTTP (the URL's port, else 80) into `target`:
// the bytes go to target + ".upd" first, readable and writable by this user
// only (the file is run afterwards), and replace the target only when the
// answer had status 200, a Content-Length, and exactly that many bytes came.
// An answer announcing or bringing more than maxBytes fails at once. The
// download ends early once transfers are cancelled, and stalls end after a
// minute without a byte. True on success; a failure leaves the target
// untouched and no ".upd" file behind.
bool DownloadFile(const std::wstring& url, const std::wstring& target, qint64 maxBytes);

inline constexpr qint64 kMaxRemoteConfigBytes = 1024 * 1024;
inline constexpr qint64 kMaxInstallerBytes = 100 * 1024 * 1024;
