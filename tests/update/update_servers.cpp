#include "update_servers.h"

#include <chrono>

#include "update/report_body.h"

UpdateServers::UpdateServers() {
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
    server_.Get("/ocr/windows/newversion.htm",
                [this, count](const httplib::Request& req, httplib::Response& res) {
                    count(req);
                    while (holdVersionPage)
                        std::this_thread::sleep_for(std::chrono::milliseconds(5));
                    res.set_content(versionPage, "text/html");
                });
    server_.Get("/ocr/windows/cd.cab",
                [count](const httplib::Request& req, httplib::Response& res) {
                    count(req);
                    res.set_content("[Config]\nKey=1\n", "application/octet-stream");
                });
    server_.Get("/ocr/windows/TaviOCRSetup.exe",
                [this, count](const httplib::Request& req, httplib::Response& res) {
                    count(req);
                    res.status = installerStatus;
                    if (installerLength) {
                        res.set_content(installer, "application/octet-stream");
                        return;
                    }
                    res.set_chunked_content_provider(
                        "application/octet-stream", [this](size_t offset, httplib::DataSink& sink) {
                            if (offset == 0) sink.write(installer.data(), installer.size());
                            sink.done();
                            return true;
                        });
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
