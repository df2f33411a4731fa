#pragma once

#include <httplib.h>
#include <json/json.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The vendor's statistics and update servers on loopback, over plain HTTP as
// the real ones: reports are deciphered and kept, files are served as told.
class UpdateServers {
public:
    UpdateServers();
    ~UpdateServers();

    std::string Host() const { return "http://127.0.0.1:" + std::to_string(port_); }

    // Deciphered reports per endpoint ("action.ashx", "ocr.ashx").
    std::vector<Json::Value> Reports(const std::string& endpoint) const;
    int Requests(const std::string& path) const;

    // The Base64 public key of the servers' signing key, for endpoints.ini.
    std::string PublicKeyBase64() const;
    // A detached Ed25519 signature of the bytes with the servers' key.
    std::string Sign(const std::string& bytes) const;
    // Serves a package and its signature made with the servers' key.
    void Publish(const std::string& bytes);

    // What the servers answer.
    std::string reportAnswer = "1";
    std::string versionPage = "version=1.3";
    std::string package;
    std::string signature;
    int packageStatus = 200;
    int signatureStatus = 200;
    bool packageLength = true;  // false: chunked, no Content-Length
    // While set, the version page waits (a check that takes its time).
    std::atomic<bool> holdVersionPage{false};

private:
    std::string privateKey_;  // 32 raw bytes
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::map<std::string, std::vector<Json::Value>> reports_;
    std::map<std::string, int> requests_;
};
