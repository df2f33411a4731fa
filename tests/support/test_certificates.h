#pragma once

#include <string>

// A certificate authority and server certificates made at test time with the
// openssl tool, once per test program, in a temporary folder.
struct TestCertificates {
    std::string caFile;      // PEM of the test CA: what clients trust
    std::string serverCert;  // for 127.0.0.1 and localhost, signed by the CA
    std::string serverKey;
    std::string strangerCert;  // self-signed: no client trusts it
    std::string strangerKey;
};

const TestCertificates& Certificates();
