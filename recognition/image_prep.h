#pragma once

#include <QImage>
#include <optional>
#include <string>
#include <string_view>

// Images travel to the services as file content: read whole, Base64-encoded and
// form-escaped. A large image can be replaced by a downscaled PNG copy when it
// is added to the input list.

struct UploadSize {
    int width = 0;
    int height = 0;
};

// The size a w×h image is scaled to for the limit M: the longer side becomes
// M - 96, computed in single precision and truncated; images within the limit
// keep their size.
UploadSize ComputeUploadSize(int width, int height, int maxImageSize);

// The downscaled copy's path, "<CompressFolder><md5 of the source path>/<name>";
// PNG content under the source's name. Empty when no copy was written.
std::wstring ResizeForUpload(const QImage& source, const std::wstring& sourcePath,
                             int maxImageSize);
std::wstring UploadCopyPath(const std::wstring& sourcePath);

// Loads an image under Qt's allocation limit, so that a hostile file cannot
// claim gigabytes; a null image when it cannot be decoded.
QImage LoadImageLimited(const std::wstring& path);

// 0 and the whole content, or -1 (and empty bytes) when the file cannot be opened.
int ReadFileBytes(const std::wstring& path, std::string& bytes);

std::string Base64Encode(std::string_view bytes);
// Decodes up to the first "=" or the first character outside the alphabet.
std::string Base64Decode(std::string_view text);
// Every byte but ASCII letters, digits and "-._~" as "%XX" (upper-case hex).
std::string CurlEscape(std::string_view bytes);
// The pieces of CurlEscape, for callers that escape several texts into one
// buffer: the escaped length, and the escaping written at out (returns the end).
size_t EscapedSize(std::string_view bytes);
char* EscapeInto(char* out, std::string_view bytes);
