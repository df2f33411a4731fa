// The loopback cloud services as a program, for checking an installed
// program: prints the endpoints.ini that points it at them, then the service
// keys they accept as "; KEY=value" lines, and serves until interrupted.

#include <cstdio>

#include "support/fake_cloud.h"
#include "support/stop_signal.h"
#include "support/test_certificates.h"

int main() {
    FakeCloud cloud;
    std::printf("[Hosts]\nOcr=%s\nTable=%s\nAccount=\nSocialPage=\nStats=\nUpdate=\n",
                cloud.BaseUrl().c_str(), cloud.BaseUrl().c_str());
    std::printf("[TLS]\nCABundle=%s\n", Certificates().caFile.c_str());
    std::printf("; AAK=%s\n; ASK=%s\n; ALIAK=%s\n; ALISK=%s\n", FakeCloud::kApiKey,
                FakeCloud::kSecretKey, FakeCloud::kTableKey, FakeCloud::kTableSecret);
    std::fflush(stdout);
    WaitForStopSignal();
    return 0;
}
