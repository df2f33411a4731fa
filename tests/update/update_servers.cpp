#include "update_servers.h"

#include <openssl/evp.h>

#include <chrono>

#include "recognition/image_prep.h"
#include "update/report_body.h"

UpdateServers::UpdateServers() : privateKey_(32, '\0') {
    EVP_PKEY* key = nullptr;
    EVP_PKEY_CTX* context = EVP_PKEY_CTX_new_id(EVP_PKEY_ED25519, nullptr);
    EVP_PKEY_keygen_init(context);
    EVP_PKEY_keygen(context, &key);
    std::size_t length = privateKey_.size();
    EVP_PKEY_get_raw_private_key(key, reinterpret_cast<unsigned char*>(privateKey_.data()),
                                 &length);
    EVP_PKEY_free(key);
    EVP_PKEY_CTX_free(context);
    const auto count = [this](const httplib::Request& req) {
        std::lock_guard lock(mutex_);
        ++requests_[req.path];
    };
    server_.Post(R"(/(action|ocr)\.ashx)",
                 [this, count](const httplib::Request& req, httplib::Response& res) {
                     count(req);
                     Json::Value report;
                     Json::Reader().parse(DecipherReportBody(req.body), report);
                     {
                         std::lock_guard lock(mutex_);
                         reports_[req.path.substr(1)].push_back(report);
                     }
                     res.set_content(reportAnswer, "text/plain");
                 });
    server_.Get("/ocr/linux/newversion.htm",
                [this, count](const httplib::Request& req, httplib::Response& res) {
                    count(req);
                    while (holdVersionPage)
                        std::this_thread::sleep_for(std::chrono::milliseconds(5));
                    res.set_content(versionPage, "text/html");
                });
    server_.Get("/ocr/linux/cd.cab", [count](const httplib::Request& req, httplib::Response& res) {
        count(req);
        res.set_content("[Config]\nKey=1\n", "application/octet-stream");
    });
    server_.Get("/ocr/linux/taviocr_amd64.deb.sig",
                [this, count](const httplib::Request& req, httplib::Response& res) {
                    count(req);
                    res.status = signatureStatus;
                    res.set_content(signature, "application/octet-stream");
                });
    server_.Get("/ocr/linux/taviocr_amd64.deb",
                [this, count](const httplib::Request& req, httplib::Response& res) {
                    count(req);
                    res.status = packageStatus;
                    if (packageLength) {
                        res.set_content(package, "application/vnd.debian.binary-package");
                        return;
                    }
                    res.set_chunked_content_provider(
                        "application/octet-stream", [this](size_t offset, httplib::DataSink& sink) {
                            if (offset == 0) sink.write(package.data(), package.size());
                            sink.done();
                            return true;
                        });
                });
    // Whatever else is asked for is counted, so tests see what was fetched.
    server_.Get(".*", [count](const httplib::Request& req, httplib::Response& res) {
        count(req);
        res.status = 404;
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

UpdateServers::~UpdateServers() {
    holdVersionPage = false;
    server_.stop();
    thread_.join();
}

std::vector<Json::Value> UpdateServers::Reports(const std::string& endpoint) const {
    std::lock_guard lock(mutex_);
    const auto it = reports_.find(endpoint);
    return it == reports_.end() ? std::vector<Json::Value>{} : it->second;
}

int UpdateServers::Requests(const std::string& path) const {
    std::lock_guard lock(mutex_);
    const auto it = requests_.find(path);
    return it == requests_.end() ? 0 : it->second;
}

namespace {

EVP_PKEY* RawPrivateKey(const std::string& raw) {
    return EVP_PKEY_new_raw_private_key(
        EVP_PKEY_ED25519, nullptr, reinterpret_cast<const unsigned char*>(raw.data()), raw.size());
}

}  // namespace

std::string UpdateServers::PublicKeyBase64() const {
    EVP_PKEY* key = RawPrivateKey(privateKey_);
    std::string raw(32, '\0');
    std::size_t length = raw.size();
    EVP_PKEY_get_raw_public_key(key, reinterpret_cast<unsigned char*>(raw.data()), &length);
    EVP_PKEY_free(key);
    return Base64Encode(raw);
}

std::string UpdateServers::Sign(const std::string& bytes) const {
    EVP_PKEY* key = RawPrivateKey(privateKey_);
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    std::string signature(64, '\0');
    std::size_t length = signature.size();
    EVP_DigestSignInit(context, nullptr, nullptr, nullptr, key);
    EVP_DigestSign(context, reinterpret_cast<unsigned char*>(signature.data()), &length,
                   reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    EVP_MD_CTX_free(context);
    EVP_PKEY_free(key);
    return signature;
}

void UpdateServers::Publish(const std::string& bytes) {
    package = bytes;
    signature = Sign(bytes);
}
