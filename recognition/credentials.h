#pragma once

#include <string>

// The service credentials, read once at start-up from the "Text" section of the
// language file then in force.
struct CloudCredentials {
    std::string appId;        // "AAI"
    std::string apiKey;       // "AAK"
    std::string secretKey;    // "ASK"
    std::string tableKey;     // "ALIAK"
    std::string tableSecret;  // "ALISK"

    bool HasCloudOcr() const { return !apiKey.empty() && !secretKey.empty(); }
};

CloudCredentials& ProcessCredentials();
void LoadCloudCredentials();
