// OpenSSL's libcrypto is opened at its first use, not when the program
// starts: loading it (and relocating its tables) costs the resident window
// about 1.5 MiB, for hashes, a report cipher and a signature check that most
// sessions need seldom or never (Base64 is the program's own). The functions the program calls are
// defined here and forward to the opened library, so every caller uses OpenSSL's API as it stands.
// A transfer's TLS opens the same library through libcurl.

#include <dlfcn.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include "platform/debug_trace.h"
#include "platform/library_functions.h"

namespace {

struct CryptoLibrary {
    decltype(&::EVP_Digest) digest = nullptr;
    decltype(&::EVP_md5) md5 = nullptr;
    decltype(&::EVP_sha256) sha256 = nullptr;
    decltype(&::HMAC) hmac = nullptr;
    decltype(&::RAND_bytes) randBytes = nullptr;
    decltype(&::EVP_CIPHER_CTX_new) cipherNew = nullptr;
    decltype(&::EVP_CIPHER_CTX_free) cipherFree = nullptr;
    decltype(&::EVP_CipherInit_ex) cipherInit = nullptr;
    decltype(&::EVP_CipherUpdate) cipherUpdate = nullptr;
    decltype(&::EVP_CipherFinal_ex) cipherFinal = nullptr;
    decltype(&::EVP_aes_128_ecb) aes128Ecb = nullptr;
    decltype(&::EVP_PKEY_new_raw_public_key) newRawPublicKey = nullptr;
    decltype(&::EVP_PKEY_free) keyFree = nullptr;
    decltype(&::EVP_MD_CTX_new) mdNew = nullptr;
    decltype(&::EVP_MD_CTX_free) mdFree = nullptr;
    decltype(&::EVP_DigestVerifyInit) verifyInit = nullptr;
    decltype(&::EVP_DigestVerify) verify = nullptr;
    bool opened = false;
};

CryptoLibrary Open() {
    CryptoLibrary c;
    void* library = ::dlopen("libcrypto.so.3", RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        DebugTrace(L"libcrypto could not be opened\n");
        return c;
    }
    c.opened = ResolveFunction(library, "EVP_Digest", c.digest) &&
               ResolveFunction(library, "EVP_md5", c.md5) &&
               ResolveFunction(library, "EVP_sha256", c.sha256) &&
               ResolveFunction(library, "HMAC", c.hmac) &&
               ResolveFunction(library, "RAND_bytes", c.randBytes) &&
               ResolveFunction(library, "EVP_CIPHER_CTX_new", c.cipherNew) &&
               ResolveFunction(library, "EVP_CIPHER_CTX_free", c.cipherFree) &&
               ResolveFunction(library, "EVP_CipherInit_ex", c.cipherInit) &&
               ResolveFunction(library, "EVP_CipherUpdate", c.cipherUpdate) &&
               ResolveFunction(library, "EVP_CipherFinal_ex", c.cipherFinal) &&
               ResolveFunction(library, "EVP_aes_128_ecb", c.aes128Ecb) &&
               ResolveFunction(library, "EVP_PKEY_new_raw_public_key", c.newRawPublicKey) &&
               ResolveFunction(library, "EVP_PKEY_free", c.keyFree) &&
               ResolveFunction(library, "EVP_MD_CTX_new", c.mdNew) &&
               ResolveFunction(library, "EVP_MD_CTX_free", c.mdFree) &&
               ResolveFunction(library, "EVP_DigestVerifyInit", c.verifyInit) &&
               ResolveFunction(library, "EVP_DigestVerify", c.verify);
    if (!c.opened) DebugTrace(L"libcrypto lacks a function the program uses\n");
    return c;
}

// Opened once, by whichever thread needs it first.
const CryptoLibrary& Crypto() {
    static const CryptoLibrary library = Open();
    return library;
}

}  // namespace

// The stand-ins. Hidden, so that a library loaded later never binds to them
// in place of OpenSSL's own; without the library each fails as OpenSSL does.
#define CRYPTO_STAND_IN extern "C" __attribute__((visibility("hidden")))

CRYPTO_STAND_IN int EVP_Digest(const void* data, size_t count, unsigned char* md,
                               unsigned int* size, const EVP_MD* type, ENGINE* impl) {
    return Crypto().opened ? Crypto().digest(data, count, md, size, type, impl) : 0;
}

CRYPTO_STAND_IN const EVP_MD* EVP_md5() { return Crypto().opened ? Crypto().md5() : nullptr; }

CRYPTO_STAND_IN const EVP_MD* EVP_sha256() { return Crypto().opened ? Crypto().sha256() : nullptr; }

CRYPTO_STAND_IN unsigned char* HMAC(const EVP_MD* md, const void* key, int keyLength,
                                    const unsigned char* data, size_t dataLength,
                                    unsigned char* out, unsigned int* outLength) {
    return Crypto().opened ? Crypto().hmac(md, key, keyLength, data, dataLength, out, outLength)
                           : nullptr;
}

CRYPTO_STAND_IN int RAND_bytes(unsigned char* buffer, int count) {
    return Crypto().opened ? Crypto().randBytes(buffer, count) : 0;
}

CRYPTO_STAND_IN EVP_CIPHER_CTX* EVP_CIPHER_CTX_new() {
    return Crypto().opened ? Crypto().cipherNew() : nullptr;
}

CRYPTO_STAND_IN void EVP_CIPHER_CTX_free(EVP_CIPHER_CTX* context) {
    if (Crypto().opened) Crypto().cipherFree(context);
}

CRYPTO_STAND_IN int EVP_CipherInit_ex(EVP_CIPHER_CTX* context, const EVP_CIPHER* cipher,
                                      ENGINE* impl, const unsigned char* key,
                                      const unsigned char* iv, int encrypt) {
    return Crypto().opened ? Crypto().cipherInit(context, cipher, impl, key, iv, encrypt) : 0;
}

CRYPTO_STAND_IN int EVP_CipherUpdate(EVP_CIPHER_CTX* context, unsigned char* out, int* outLength,
                                     const unsigned char* in, int inLength) {
    return Crypto().opened ? Crypto().cipherUpdate(context, out, outLength, in, inLength) : 0;
}

CRYPTO_STAND_IN int EVP_CipherFinal_ex(EVP_CIPHER_CTX* context, unsigned char* out,
                                       int* outLength) {
    return Crypto().opened ? Crypto().cipherFinal(context, out, outLength) : 0;
}

CRYPTO_STAND_IN const EVP_CIPHER* EVP_aes_128_ecb() {
    return Crypto().opened ? Crypto().aes128Ecb() : nullptr;
}

CRYPTO_STAND_IN EVP_PKEY* EVP_PKEY_new_raw_public_key(int type, ENGINE* engine,
                                                      const unsigned char* key, size_t length) {
    return Crypto().opened ? Crypto().newRawPublicKey(type, engine, key, length) : nullptr;
}

CRYPTO_STAND_IN void EVP_PKEY_free(EVP_PKEY* key) {
    if (Crypto().opened) Crypto().keyFree(key);
}

CRYPTO_STAND_IN EVP_MD_CTX* EVP_MD_CTX_new() {
    return Crypto().opened ? Crypto().mdNew() : nullptr;
}

CRYPTO_STAND_IN void EVP_MD_CTX_free(EVP_MD_CTX* context) {
    if (Crypto().opened) Crypto().mdFree(context);
}

CRYPTO_STAND_IN int EVP_DigestVerifyInit(EVP_MD_CTX* context, EVP_PKEY_CTX** keyContext,
                                         const EVP_MD* type, ENGINE* engine, EVP_PKEY* key) {
    return Crypto().opened ? Crypto().verifyInit(context, keyContext, type, engine, key) : 0;
}

CRYPTO_STAND_IN int EVP_DigestVerify(EVP_MD_CTX* context, const unsigned char* signature,
                                     size_t signatureLength, const unsigned char* data,
                                     size_t dataLength) {
    return Crypto().opened ? Crypto().verify(context, signature, signatureLength, data, dataLength)
                           : -1;
}
