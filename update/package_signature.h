#pragma once

#include <string>
#include <string_view>

// Linux update packages are Debian archives with a detached Ed25519
// signature (64 raw bytes) over every byte of the package.

// The public half of the project's signing key, 32 raw bytes.
std::string ProjectUpdateKey();

enum class PackageVerdict {
    Verified,
    NotDebianArchive,  // not an "ar" archive that starts with debian-binary
    BadSignature,      // missing, short, garbage or made with another key
    UnusableKey,       // the key given is no Ed25519 public key
};

// Whether the package is a Debian archive signed with the key.
PackageVerdict CheckSignedPackage(std::string_view package, std::string_view signature,
                                  std::string_view publicKey);

// For the log: why a package was refused.
std::wstring_view VerdictText(PackageVerdict verdict);
