#pragma once

#include <string>

// Downloads a file over plain HTTP (the URL's port, else 80) into `target`:
// the bytes go to target + ".upd" first, readable and writable by this user
// only (the file is run afterwards), and replace the target only when the
// answer had status 200, a Content-Length, and exactly that many bytes came.
// True on success; a failure leaves the target untouched.
bool DownloadFile(const std::wstring& url, const std::wstring& target);
