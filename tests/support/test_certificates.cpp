#include "support/test_certificates.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace {

void Run(const std::string& command) {
    if (std::system((command + " >/dev/null 2>&1").c_str()) != 0)
        throw std::runtime_error("failed: " + command);
}

std::string g_folder;

void RemoveFolder() { std::filesystem::remove_all(g_folder); }

TestCertificates Make() {
    char pattern[] = "/tmp/taviocr-certs.XXXXXX";
    const std::string dir = ::mkdtemp(pattern);
    g_folder = dir;
    std::atexit(RemoveFolder);
    const std::string key = "-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
    Run("openssl req -x509 " + key + " -keyout " + dir + "/ca.key -out " + dir +
        "/ca.pem -days 2 -subj '/CN=TaviOCR Test CA'");
    Run("openssl req " + key + " -keyout " + dir + "/server.key -out " + dir +
        "/server.csr -subj '/CN=localhost'");
    std::ofstream(dir + "/ext.cnf") << "subjectAltName=IP:127.0.0.1,DNS:localhost\n";
    Run("openssl x509 -req -in " + dir + "/server.csr -CA " + dir + "/ca.pem -CAkey " + dir +
        "/ca.key -CAcreateserial -out " + dir + "/server.pem -days 2 -extfile " + dir + "/ext.cnf");
    Run("openssl req -x509 " + key + " -keyout " + dir + "/stranger.key -out " + dir +
        "/stranger.pem -days 2 -subj '/CN=localhost' -addext 'subjectAltName=IP:127.0.0.1'");
    return {dir + "/ca.pem", dir + "/server.pem", dir + "/server.key", dir + "/stranger.pem",
            dir + "/stranger.key"};
}

}  // namespace

const TestCertificates& Certificates() {
    static const TestCertificates certificates = Make();
    return certificates;
}
