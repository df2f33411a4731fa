#pragma once

#include <string>
#include <string_view>
#include <vector>

// Where the services live. Read from endpoints.ini beside the program, or the
// file named by TAVIOCR_ENDPOINTS (tests point it at loopback servers):
//
//   [Hosts]
//   Ocr=https://aip.baidubce.com
//   Table=https://form.market.alicloudapi.com
//   Account=https://account.taviocr.com      ; sign-in and registration
//   SocialPage=https://www.taviocr.com       ; the social sign-in page
//   Stats=http://stats.taviocr.com           ; usage reports (plain HTTP)
//   Update=http://update.taviocr.com         ; version page and installers
// Each value may name a port ("https://127.0.0.1:8443"); without one the
// scheme's port is used. Ocr, Table and Account must be https, loopback too. An empty Account,
// SocialPage, Stats or Update turns that service off.
//   [TLS]
//   CABundle=/path/to/ca.pem      ; optional, else the system's trust store
//   [Update]
//   PublicKey=<Base64 of 32 bytes> ; optional, else the project's own key
struct ServiceEndpoints {
    std::string ocrHost = "https://aip.baidubce.com";
    std::string tableHost = "https://form.market.alicloudapi.com";
    // The vendor's services: off until an endpoints file is read, whose
    // missing keys then take the vendor's real hosts (kVendor... below).
    std::string accountHost;
    std::string socialPageHost;
    std::string updateHost;
    std::string statsHost;
    std::string caBundle;  // empty: the system's certificate store
    // The key update packages must be signed with, in Base64; empty: the
    // project's own (tests sign with a key of theirs).
    std::string updatePublicKey;
    // Keys of the hosts that carry secrets (service keys, pictures, password
    // hashes) whose URL was not https: their host is left empty, so nothing
    // is sent to them, and the user is told (InsecureServiceHost).
    std::vector<std::wstring> refusedHosts;
};

inline constexpr const char* kVendorAccountHost = "https://account.taviocr.com";
inline constexpr const char* kVendorSocialPageHost = "https://www.taviocr.com";
inline constexpr const char* kVendorUpdateHost = "http://update.taviocr.com";
inline constexpr const char* kVendorStatsHost = "http://stats.taviocr.com";

// The process-wide endpoints, read once at start-up (before any worker).
ServiceEndpoints& Endpoints();

// The file in force: $TAVIOCR_ENDPOINTS, else <exeFolder>/endpoints.ini.
std::wstring EndpointsFilePath(std::wstring_view exeFolder);
// Reads a file over the defaults; keys that are missing keep their default.
ServiceEndpoints ReadEndpoints(std::wstring_view path);
