#include "net/endpoints.h"

#include <cstdlib>

#include "platform/profile.h"
#include "platform/text.h"

ServiceEndpoints& Endpoints() {
    static ServiceEndpoints endpoints;
    return endpoints;
}

std::wstring EndpointsFilePath(std::wstring_view exeFolder) {
    if (const char* path = std::getenv("TAVIOCR_ENDPOINTS"); path && *path) return Utf8ToWide(path);
    return std::wstring(exeFolder) + L"/endpoints.ini";
}

ServiceEndpoints ReadEndpoints(std::wstring_view path) {
    ServiceEndpoints endpoints;
    endpoints.accountHost = kVendorAccountHost;
    endpoints.socialPageHost = kVendorSocialPageHost;
    endpoints.updateHost = kVendorUpdateHost;
    endpoints.statsHost = kVendorStatsHost;
    const IniDocument doc = ReadProfileDocument(path);
    auto read = [&doc](std::wstring_view section, std::wstring_view key, std::string& target) {
        if (const auto value = doc.Get(section, key); value && !value->empty()) {
            std::string text = WideToUtf8(*value);
            while (!text.empty() && text.back() == '/') text.pop_back();
            target = text;
        }
    };
    read(L"Hosts", L"Ocr", endpoints.ocrHost);
    read(L"Hosts", L"Table", endpoints.tableHost);
    // These services are optional: a key present with no value turns one
    // off (tests and private installations talk to no vendor server).
    auto readOptional = [&doc](std::wstring_view key, std::string& target) {
        if (const auto value = doc.Get(L"Hosts", key)) {
            std::string text = WideToUtf8(*value);
            while (!text.empty() && text.back() == '/') text.pop_back();
            target = text;
        }
    };
    readOptional(L"Account", endpoints.accountHost);
    readOptional(L"SocialPage", endpoints.socialPageHost);
    readOptional(L"Update", endpoints.updateHost);
    readOptional(L"Stats", endpoints.statsHost);
    if (const auto ca = doc.Get(L"TLS", L"CABundle")) endpoints.caBundle = WideToUtf8(*ca);
    return endpoints;
}
