#include "update/package_signature.h"

#include <openssl/evp.h>

#include <memory>

#include "recognition/image_prep.h"

namespace {

// Made with `openssl genpkey -algorithm ed25519`; the private half signs
// releases and never enters the repository.
constexpr std::string_view kProjectKeyBase64 = "V6bLcaWwIWiE1AwfMenpS7T8p/b5NbtMla2aHyHEG1M=";

constexpr std::size_t kEd25519KeyBytes = 32;
constexpr std::size_t kEd25519SignatureBytes = 64;

// The archive magic, then the first member's 16-byte name field.
constexpr std::string_view kDebianArchiveStart = "!<arch>\ndebian-binary";

struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct ContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

}  // namespace

std::string ProjectUpdateKey() { return Base64Decode(kProjectKeyBase64); }

PackageVerdict CheckSignedPackage(std::string_view package, std::string_view signature,
                                  std::string_view publicKey) {
    if (publicKey.size() != kEd25519KeyBytes) return PackageVerdict::UnusableKey;
    if (!package.starts_with(kDebianArchiveStart)) return PackageVerdict::NotDebianArchive;
    if (signature.size() != kEd25519SignatureBytes) return PackageVerdict::BadSignature;
    const std::unique_ptr<EVP_PKEY, KeyFree> key(EVP_PKEY_new_raw_public_key(
        EVP_PKEY_ED25519, nullptr, reinterpret_cast<const unsigned char*>(publicKey.data()),
        publicKey.size()));
    if (!key) return PackageVerdict::UnusableKey;
    const std::unique_ptr<EVP_MD_CTX, ContextFree> context(EVP_MD_CTX_new());
    // Ed25519 signs the message itself, in one pass: no digest is named.
    if (!context || EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1)
        return PackageVerdict::UnusableKey;
    const int verified = EVP_DigestVerify(
        context.get(), reinterpret_cast<const unsigned char*>(signature.data()), signature.size(),
        reinterpret_cast<const unsigned char*>(package.data()), package.size());
    return verified == 1 ? PackageVerdict::Verified : PackageVerdict::BadSignature;
}

std::wstring_view VerdictText(PackageVerdict verdict) {
    switch (verdict) {
        case PackageVerdict::Verified:
            return L"signature verified";
        case PackageVerdict::NotDebianArchive:
            return L"not a Debian package";
        case PackageVerdict::BadSignature:
            return L"signature missing or not valid";
        case PackageVerdict::UnusableKey:
            return L"no usable public key";
    }
    return L"";
}
