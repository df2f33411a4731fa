#pragma once

#include <httplib.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// A loopback HTTPS server that behaves like the cloud services: the OAuth
// token endpoint, every OCR endpoint and the table parsing endpoint. It checks
// requests as the real services do and answers with realistic JSON; tests can
// replace an answer or make it misbehave.
class FakeCloud {
public:
    static constexpr const char* kApiKey = "test-api-key";
    static constexpr const char* kSecretKey = "test-secret-key";
    static constexpr const char* kTableKey = "test-table-key";
    static constexpr const char* kTableSecret = "test-table-secret";

    enum class Behaviour { Normal, Stall, Garbage, Huge, EmptyBody };

    struct Request {
        std::string method;
        std::string path;
        std::map<std::string, std::string> query;
        std::map<std::string, std::string> form;  // decoded form fields
        std::map<std::string, std::string> headers;
        std::string body;
    };

    // useStrangerCertificate: serve a certificate no client trusts.
    explicit FakeCloud(bool useStrangerCertificate = false);
    ~FakeCloud();

    std::string BaseUrl() const { return "https://127.0.0.1:" + std::to_string(port_); }

    // The JSON answer of an OCR path ("/rest/2.0/ocr/v1/idcard"), replacing the
    // built-in one; an answer per call may be queued with QueueAnswer.
    void SetAnswer(const std::string& path, const std::string& json);
    void QueueAnswer(const std::string& path, const std::string& json);
    void SetBehaviour(Behaviour behaviour) { behaviour_ = behaviour; }
    // The built-in answers carry this JSON text as their log_id, as the real
    // service sends it in some answers (a string, a number above 2^63).
    void SetLogId(const std::string& json) {
        std::lock_guard lock(mutex_);
        logId_ = json;
    }
    // The real service's picture limits, enforced while set: a picture whose
    // Base64 text is longer, that cannot be decoded, or whose sides lie outside
    // [minSide, maxSide] gets error 216202 (216201 when it is no picture).
    struct PictureLimits {
        std::size_t maxBase64 = 4 * 1024 * 1024;
        int minSide = 15;
        int maxSide = 4096;
    };
    void EnforcePictureLimits(std::optional<PictureLimits> limits) {
        std::lock_guard lock(mutex_);
        limits_ = limits;
    }
    // Width and height of the last picture that passed the limits.
    std::pair<int, int> LastPictureSize() const {
        std::lock_guard lock(mutex_);
        return lastPictureSize_;
    }
    // Table answers: a real workbook unless told otherwise.
    void SetTableAnswer(const std::string& json) { tableAnswer_ = json; }

    std::vector<Request> Requests() const;
    int CountRequests(const std::string& path) const;

    // A minimal valid .xlsx workbook holding the given cell texts.
    static std::string MakeWorkbook(const std::vector<std::vector<std::string>>& rows);

private:
    // body: the request's content when the handler read it itself.
    void Record(const httplib::Request& req, Request& out, const std::string* body = nullptr);
    bool Misbehave(httplib::Response& res);
    std::string DefaultAnswer(const std::string& path, const Request& request) const;
    // The service's error answer for a picture outside the limits, else empty.
    std::string PictureRefusal(const std::string& base64);

    std::unique_ptr<httplib::SSLServer> server_;
    std::thread thread_;
    int port_ = 0;
    std::atomic<Behaviour> behaviour_{Behaviour::Normal};
    mutable std::mutex mutex_;
    std::vector<Request> requests_;
    std::map<std::string, std::string> answers_;
    std::map<std::string, std::vector<std::string>> queued_;
    std::string tableAnswer_;
    std::string logId_;
    int tokensIssued_ = 0;
    std::optional<PictureLimits> limits_;
    std::pair<int, int> lastPictureSize_{0, 0};
};
