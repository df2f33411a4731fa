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
    // An empty Ocr or Table keeps its default; an empty optional service is off
    // (tests and private installations talk to no vendor server).
    auto read = [&doc](std::wstring_view key, std::string& target, bool emptyTurnsOff) {
        const auto value = doc.Get(L"Hosts", key);
        if (!value || (value->empty() && !emptyTurnsOff)) return;
        std::string text = WideToUtf8(*value);
        while (!text.empty() && text.back() == '/') text.pop_back();
        target = text;
    };
    read(L"Ocr", endpoints.ocrHost, false);
    read(L"Table", endpoints.tableHost, false);
    read(L"Account", endpoints.accountHost, true);
    read(L"SocialPage", endpoints.socialPageHost, true);
    read(L"Update", endpoints.updateHost, true);
    read(L"Stats", endpoints.statsHost, true);
    if (const auto ca = doc.Get(L"TLS", L"CABundle")) endpoints.caBundle = WideToUtf8(*ca);
    if (const auto key = doc.Get(L"Update", L"PublicKey"))
        endpoints.updatePublicKey = WideToUtf8(*key);
    for (auto [key, host] :
         {std::pair{L"Ocr", &endpoints.ocrHost}, std::pair{L"Table", &endpoints.tableHost},
          std::pair{L"Account", &endpoints.accountHost}}) {
        if (host->empty() || EqualsNoCase(Utf8ToWide(host->substr(0, 8)), L"https://")) continue;
        endpoints.refusedHosts.push_back(key);
        host->clear();
    }
    return endpoints;
}
