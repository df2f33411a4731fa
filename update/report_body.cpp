#include "update/report_body.h"

#include <openssl/evp.h>

#include <memory>
#include <vector>

namespace {

// The statistics server's key, 16 ASCII characters taken as bytes.
constexpr unsigned char kKey[17] = "Kqz@Wn#531#PLAIN";

struct CipherDeleter {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};

std::string Run(std::string_view input, bool encrypt) {
    std::unique_ptr<EVP_CIPHER_CTX, CipherDeleter> context(EVP_CIPHER_CTX_new());
    if (!context || EVP_CipherInit_ex(context.get(), EVP_aes_128_ecb(), nullptr, kKey, nullptr,
                                      encrypt ? 1 : 0) != 1)
        return {};
    std::vector<unsigned char> out(input.size() + 32);
    int written = 0, last = 0;
    if (EVP_CipherUpdate(context.get(), out.data(), &written,
                         reinterpret_cast<const unsigned char*>(input.data()),
                         static_cast<int>(input.size())) != 1 ||
        EVP_CipherFinal_ex(context.get(), out.data() + written, &last) != 1)
        return {};
    return std::string(reinterpret_cast<const char*>(out.data()),
                       static_cast<std::size_t>(written + last));
}

std::string Base64(const std::string& bytes) {
    std::string text(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()),
                                  reinterpret_cast<const unsigned char*>(bytes.data()),
                                  static_cast<int>(bytes.size()));
    text.resize(static_cast<std::size_t>(n));
    return text;
}

std::string FromBase64(std::string_view text) {
    if (text.empty() || text.size() % 4 != 0) return {};
    std::string bytes(text.size() / 4 * 3, '\0');
    const int n = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(bytes.data()),
                                  reinterpret_cast<const unsigned char*>(text.data()),
                                  static_cast<int>(text.size()));
    if (n < 0) return {};
    // The decoder writes the padding as zero bytes: they are not data.
    std::size_t size = static_cast<std::size_t>(n);
    for (std::size_t i = text.size(); i > 0 && text[i - 1] == '='; --i) --size;
    bytes.resize(size);
    return bytes;
}

}  // namespace

std::string EncipherReportBody(std::string_view json) {
    const std::string cipher = Run(json, true);
    return cipher.empty() ? std::string() : Base64(cipher);
}

std::string DecipherReportBody(std::string_view body) {
    const std::string cipher = FromBase64(body);
    return cipher.empty() ? std::string() : Run(cipher, false);
}

std::string ReportJsonText(const Json::Value& report) {
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    return Json::writeString(writer, report);
}
