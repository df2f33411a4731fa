#include "net/curl_client.h"

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <httplib.h>

#include <filesystem>
#include <thread>

#include "net/curl_error_text.h"
#include "net/curl_text_client.h"
#include "net/endpoints.h"
#include "platform/text.h"
#include "support/test_certificates.h"

namespace {

// A loopback HTTPS server with a handful of routes the transfer tests need.
class EchoServer {
public:
    explicit EchoServer(bool stranger = false) {
        const auto& c = Certificates();
        server_ =
            std::make_unique<httplib::SSLServer>((stranger ? c.strangerCert : c.serverCert).c_str(),
                                                 (stranger ? c.strangerKey : c.serverKey).c_str());
        server_->Get("/chunks", [](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider(
                "text/plain", [](size_t offset, httplib::DataSink& sink) {
                    if (offset >= 30000) {
                        sink.done();
                        return true;
                    }
                    const std::string part =
                        "chunk" + std::to_string(offset / 10000) + std::string(9994, '.');
                    return sink.write(part.data(), part.size());
                });
        });
        server_->Get("/missing", [](const httplib::Request&, httplib::Response& res) {
            res.status = 404;
            res.set_content("<h1>Not found</h1>", "text/html");
        });
        server_->Get("/moved", [](const httplib::Request&, httplib::Response& res) {
            res.set_redirect("/elsewhere");
            res.set_content("moved", "text/plain");
        });
        server_->Get("/auth", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content(req.get_header_value("Authorization"), "text/plain");
        });
        server_->Get("/huge", [](const httplib::Request&, httplib::Response& res) {
            res.set_content_provider(100 * 1024 * 1024, "text/plain",
                                     [](size_t, size_t length, httplib::DataSink& sink) {
                                         static const std::string block(1 << 20, 'x');
                                         return sink.write(block.data(),
                                                           std::min(length, block.size()));
                                     });
        });
        server_->Post("/echo", [](const httplib::Request& req, httplib::Response& res) {
            std::string headers;
            for (const auto& [k, v] : req.headers)
                if (k.starts_with("X-") || k == "Content-Type") headers += k + "=" + v + ";";
            res.set_header("X-Echo-Length", std::to_string(req.body.size()));
            res.set_content(headers + "|" + req.get_header_value("Authorization") + "|" + req.body,
                            "text/plain");
        });
        port_ = server_->bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_->listen_after_bind(); });
        while (!server_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~EchoServer() {
        server_->stop();
        thread_.join();
    }
    std::string Url(const std::string& path) const {
        return "https://127.0.0.1:" + std::to_string(port_) + path;
    }

private:
    std::unique_ptr<httplib::SSLServer> server_;
    std::thread thread_;
    int port_ = 0;
};

class CurlClientTest : public ::testing::Test {
protected:
    void SetUp() override { Endpoints().caBundle = Certificates().caFile; }
    void TearDown() override { Endpoints() = ServiceEndpoints{}; }
    EchoServer server_;
};

}  // namespace

TEST_F(CurlClientTest, ChunkedAnswerArrivesWholeAndInOrder) {
    CCurlClient client;
    const std::string body = client.Get(server_.Url("/chunks"), "root", "kemo");
    ASSERT_EQ(body.size(), 30000u);
    EXPECT_EQ(body.find("chunk0"), 0u);
    EXPECT_EQ(body.find("chunk1"), 10000u);
    EXPECT_EQ(body.find("chunk2"), 20000u);
}

TEST_F(CurlClientTest, ErrorPagesAndRedirectsAreReturnedAsTheyCame) {
    CCurlClient client;
    EXPECT_EQ(client.Get(server_.Url("/missing"), "root", "kemo"), "<h1>Not found</h1>");
    EXPECT_EQ(client.Get(server_.Url("/moved"), "root", "kemo"), "moved");
    // Basic credentials go with the request: "root:kemo".
    EXPECT_EQ(client.Get(server_.Url("/auth"), "root", "kemo"), "Basic cm9vdDprZW1v");
}

TEST_F(CurlClientTest, PostJsonStopsAtTheFirstNulWithItsContentType) {
    CCurlClient client;
    const std::string answer =
        client.PostJson(server_.Url("/echo"), std::string("{\"a\":1}\0tail", 12), "root", "kemo");
    EXPECT_EQ(answer, "Content-Type=application/json;charset=UTF-8;|Basic cm9vdDprZW1v|{\"a\":1}");
}

TEST_F(CurlClientTest, PostWithHeadersSendsExactBytesAndKeepsResponseHeaders) {
    CCurlClient client;
    const std::string body("a\0b\0c", 5);
    const std::string answer =
        client.PostWithHeaders(server_.Url("/echo"), body, {"X-Ca-Key:k1", "X-Ca-Nonce:n"});
    EXPECT_EQ(answer.substr(answer.find('|')), "||" + body);
    EXPECT_NE(answer.find("X-Ca-Key=k1;"), std::string::npos);
    EXPECT_NE(client.ResponseHeaders().find("X-Echo-Length: 5\r\n"), std::string::npos);
    EXPECT_TRUE(client.ResponseHeaders().starts_with("HTTP/1.1 200"));
    EXPECT_TRUE(client.ResponseHeaders().ends_with("\r\n\r\n"));
    // Without lines no custom header goes out.
    const std::string plain = client.PostWithHeaders(server_.Url("/echo"), "x", {});
    EXPECT_EQ(plain.find("X-Ca"), std::string::npos);
}

TEST_F(CurlClientTest, TextClientPostsWithEmptyCredentialsAndDecodes) {
    CCurlTextClient client(true, false);
    std::wstring output;
    EXPECT_TRUE(client.PostText(Utf8ToWide(server_.Url("/echo")), L"", L"", L"name=中", &output));
    EXPECT_NE(output.find(L"|Basic Og==|name=中"), std::wstring::npos);  // base64 of ":"
    EXPECT_EQ(client.GetText(Utf8ToWide(server_.Url("/auth"))), L"Basic cm9vdDprZW1v");
}

TEST_F(CurlClientTest, AnswersBeyondTheBoundAbortTheTransfer) {
    CCurlClient client;
    const std::string body = client.Get(server_.Url("/huge"), "root", "kemo");
    EXPECT_EQ(client.LastResult(), CURLE_WRITE_ERROR);
    EXPECT_LE(body.size(), 64u * 1024 * 1024);
}

TEST(CurlCertificates, AServerNoCaVouchesForIsRefused) {
    Endpoints().caBundle = Certificates().caFile;
    EchoServer stranger(true);
    CCurlClient client;
    EXPECT_EQ(client.Get(stranger.Url("/auth"), "root", "kemo"), "");
    EXPECT_EQ(client.LastResult(), CURLE_PEER_FAILED_VERIFICATION);
    CCurlTextClient text(true, false);
    EXPECT_FALSE(text.PostText(Utf8ToWide(stranger.Url("/echo")), L"", L"", L"x"));
    Endpoints() = ServiceEndpoints{};
}

TEST(CurlErrorText, NamesListedCodesAndNumbersTheRest) {
    EXPECT_EQ(CurlErrorText(28), "CURLE_OPERATION_TIMEDOUT");
    EXPECT_EQ(CurlErrorText(52), "CURLE_GOT_NOTHING");
    EXPECT_EQ(CurlErrorText(14), "CURLE_FTP_WEIRD_227_FORMAT");
    EXPECT_EQ(CurlErrorText(4), "Curl Proceesing unsuccessful and return the code:4");
    EXPECT_EQ(CurlErrorText(35), "Curl Proceesing unsuccessful and return the code:35");
}

TEST(Endpoints, FileOverridesOnlyWhatItNames) {
    char pattern[] = "/tmp/taviocr-ep.XXXXXX";
    const std::string dir = ::mkdtemp(pattern);
    FILE* f = std::fopen((dir + "/endpoints.ini").c_str(), "w");
    std::fputs("[Hosts]\nOcr=https://127.0.0.1:8443/\n[TLS]\nCABundle=/x/ca.pem\n", f);
    std::fclose(f);
    const ServiceEndpoints e = ReadEndpoints(Utf8ToWide(dir + "/endpoints.ini"));
    EXPECT_EQ(e.ocrHost, "https://127.0.0.1:8443");
    EXPECT_EQ(e.tableHost, "https://form.market.alicloudapi.com");
    EXPECT_EQ(e.caBundle, "/x/ca.pem");
    ::setenv("TAVIOCR_ENDPOINTS", "/elsewhere.ini", 1);
    EXPECT_EQ(EndpointsFilePath(L"/opt/taviocr"), L"/elsewhere.ini");
    ::unsetenv("TAVIOCR_ENDPOINTS");
    EXPECT_EQ(EndpointsFilePath(L"/opt/taviocr"), L"/opt/taviocr/endpoints.ini");
    std::filesystem::remove_all(dir);
}
