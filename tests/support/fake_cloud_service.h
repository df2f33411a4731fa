#pragma once

#include "net/endpoints.h"
#include "recognition/credentials.h"
#include "support/fake_cloud.h"
#include "support/test_certificates.h"

// Points the program's service hosts and credentials at a fake cloud (trusted
// through the test CA), and back to nothing afterwards. Header-only, so the
// support library keeps to the platform layer.
inline void UseFakeCloud(const FakeCloud& cloud) {
    ServiceEndpoints endpoints;
    endpoints.ocrHost = cloud.BaseUrl();
    endpoints.tableHost = cloud.BaseUrl();
    endpoints.caBundle = Certificates().caFile;
    endpoints.accountHost = endpoints.socialPageHost = endpoints.statsHost = endpoints.updateHost =
        "";
    Endpoints() = endpoints;
    ProcessCredentials() = {"app-id", FakeCloud::kApiKey, FakeCloud::kSecretKey,
                            FakeCloud::kTableKey, FakeCloud::kTableSecret};
}

inline void ForgetFakeCloud() {
    Endpoints() = ServiceEndpoints{};
    Endpoints().accountHost = Endpoints().socialPageHost = "";
    Endpoints().statsHost = Endpoints().updateHost = "";
    ProcessCredentials() = {};
}
