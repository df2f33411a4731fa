// The loopback account server as a program, for trying the dialogs by hand:
// prints the endpoints.ini lines that point the program at it and serves
// until interrupted.

#include <cstdio>

#include "support/account_server.h"
#include "support/stop_signal.h"
#include "support/test_certificates.h"

int main() {
    AccountServer server;
    std::printf("[Hosts]\nAccount=%s\nSocialPage=https://social.example\n[TLS]\nCABundle=%s\n",
                server.Host().c_str(), Certificates().caFile.c_str());
    std::printf("; signing key: %s, every verification code: %s\n", AccountServer::kSigningKey,
                AccountServer::kCode);
    std::fflush(stdout);
    WaitForStopSignal();
    return 0;
}
