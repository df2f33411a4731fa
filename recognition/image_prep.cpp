#include "recognition/image_prep.h"

#include <curl/curl.h>
#include <openssl/evp.h>

#include <algorithm>
#include <array>
#include <cstdio>

#include "app/image_file.h"
#include "app/working_folders.h"
#include "platform/file_io.h"
#include "platform/large_buffer.h"
#include "platform/md5_hex.h"
#include "platform/text.h"

UploadSize ComputeUploadSize(int width, int height, int maxImageSize) {
    if (width <= maxImageSize && height <= maxImageSize) return {width, height};
    const float side = static_cast<float>(maxImageSize - 96);
    if (width > height)
        return {maxImageSize - 96,
                static_cast<int>(side / static_cast<float>(width) * static_cast<float>(height))};
    return {static_cast<int>(side / static_cast<float>(height) * static_cast<float>(width)),
            maxImageSize - 96};
}

std::wstring UploadCopyPath(const std::wstring& sourcePath) {
    return CompressFolder() + Utf8ToWide(Md5Hex(WideToAnsi(sourcePath))) + L"/" +
           FileNamePart(sourcePath);
}

std::wstring ResizeForUpload(const QImage& source, const std::wstring& sourcePath,
                             int maxImageSize) {
    if (source.isNull()) return {};
    const UploadSize size = ComputeUploadSize(source.width(), source.height(), maxImageSize);
    if (size.width <= 0 || size.height <= 0 || size.width > maxImageSize ||
        size.height > maxImageSize)
        return {};
    const std::wstring copy = UploadCopyPath(sourcePath);
    if (!CreateFolderTree(copy.substr(0, copy.rfind(L'/')))) return {};
    std::remove(NarrowPath(copy).c_str());
    // Smooth scaling also reads palette and grey pictures right: it works in
    // a full-colour format of its choosing.
    const QImage scaled =
        source.scaled(size.width, size.height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (scaled.isNull()) return {};
    if (!SaveImageFresh(scaled, copy, "PNG", 80)) return {};
    return copy;
}

QImage LoadImageLimited(const std::wstring& path) { return PictureReader(path).Read(); }

int ReadFileBytes(const std::wstring& path, std::string& bytes) {
    bytes.clear();
    // A picture larger than this is no picture the services accept.
    auto content = ReadWholeFile(path, 512 * 1024 * 1024);
    if (!content) return -1;
    bytes = std::move(*content);
    return 0;
}

std::string Base64Encode(std::string_view bytes) {
    std::string out;
    ReserveLargeBuffer(out, 4 * ((bytes.size() + 2) / 3) + 1);
    out.resize(4 * ((bytes.size() + 2) / 3));
    const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                  reinterpret_cast<const unsigned char*>(bytes.data()),
                                  static_cast<int>(bytes.size()));
    out.resize(static_cast<size_t>(n));
    return out;
}

std::string Base64Decode(std::string_view text) {
    // Only the leading run of alphabet characters is data: "=" or anything
    // else ends it.
    const size_t valid = std::min(
        text.size(),
        text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"));
    std::string quartets(text.substr(0, valid));
    if (quartets.size() % 4 == 1) quartets.pop_back();  // six bits make no byte
    const size_t padding = (4 - quartets.size() % 4) % 4;
    quartets.append(padding, '=');
    std::string out(quartets.size() / 4 * 3, '\0');
    const int n = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                  reinterpret_cast<const unsigned char*>(quartets.data()),
                                  static_cast<int>(quartets.size()));
    if (n < 0) return {};
    out.resize(static_cast<size_t>(n) - padding);
    return out;
}

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

// The bytes curl_escape leaves as they are.
const std::array<bool, 256>& KeptBytes() {
    static const auto keep = [] {
        std::array<bool, 256> kept{};
        for (int c = 0; c < 256; ++c)
            kept[c] = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '.' || c == '_' || c == '~';
        return kept;
    }();
    return keep;
}

}  // namespace

size_t EscapedSize(std::string_view bytes) {
    const auto& keep = KeptBytes();
    size_t size = 0;
    for (unsigned char c : bytes) size += keep[c] ? 1 : 3;
    return size;
}

char* EscapeInto(char* out, std::string_view bytes) {
    const auto& keep = KeptBytes();
    for (unsigned char c : bytes) {
        if (keep[c]) {
            *out++ = static_cast<char>(c);
        } else {
            *out++ = '%';
            *out++ = kHex[c >> 4];
            *out++ = kHex[c & 0xF];
        }
    }
    return out;
}

// The same escaping as curl_escape, table-driven: libcurl's own routine grows
// its buffer byte by byte and takes about 300 ms for a 10 MB image's Base64
// text. Sizing the result exactly first touches a third of the memory that a
// worst-case buffer would, which is what dominates for large images.
std::string CurlEscape(std::string_view bytes) {
    std::string out;
    ReserveLargeBuffer(out, EscapedSize(bytes));
    out.resize(EscapedSize(bytes));
    EscapeInto(out.data(), bytes);
    return out;
}
