#pragma once

#include <cstddef>
#include <string>

// What the services take, and pictures brought within it when they are sent:
// a phone photo or a huge scan is re-encoded and downscaled only as far as
// needed (aspect kept), a sliver of a capture is padded, a format the service
// does not read is converted, and a file that is no picture is caught here
// instead of being uploaded.

struct UploadLimits {
    std::size_t maxBytes;  // of the encoded picture
    int minSide;
    int maxSide;
};

// The OCR service: Base64 text of at most 4 MiB (3 MiB of picture), sides of
// 15 to 4096 pixels.
inline constexpr UploadLimits kOcrUploadLimits{3 * 1024 * 1024, 15, 4096};
// The table service: at most 10 MB of picture, sides up to 8192 pixels.
inline constexpr UploadLimits kTableUploadLimits{10 * 1000 * 1000, 1, 8192};

struct PreparedPicture {
    std::string bytes;        // what to send; empty on failure
    std::wstring failureKey;  // then why: "ImageSizeIsZero" or "PictureTooLarge"
    bool changed = false;     // re-encoded, scaled or padded (else the file as it is)
};

// The file's own bytes when the service takes them as they are (PNG, JPEG or
// BMP within the limits, and decodable); otherwise a new encoding within the
// limits: JPEG sources and pictures too large as PNG become JPEG (quality 85
// or more), others PNG; palette and grey pictures stay readable, transparency
// lies on white.
PreparedPicture PreparePicture(const std::wstring& path, const UploadLimits& limits);
