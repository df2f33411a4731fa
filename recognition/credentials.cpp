#include "recognition/credentials.h"

#include "app/language_file.h"

CloudCredentials& ProcessCredentials() {
    static CloudCredentials credentials;
    return credentials;
}

void LoadCloudCredentials() {
    CloudCredentials& c = ProcessCredentials();
    c.appId = LangTextAnsi(L"AAI");
    c.apiKey = LangTextAnsi(L"AAK");
    c.secretKey = LangTextAnsi(L"ASK");
    c.tableKey = LangTextAnsi(L"ALIAK");
    c.tableSecret = LangTextAnsi(L"ALISK");
}
