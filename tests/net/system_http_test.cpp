// The GET chain, its three stages and their cuts, and the form post, against
// a loopback HTTP server that tells the stages apart by what they send: the
// libcurl stage logs in, Qt names a user agent, the socket stage neither.

#include "net/system_http.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <QCoreApplication>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

namespace {

class StageServer {
public:
    StageServer() {
        server_.Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
            const std::string stage = req.has_header("Authorization") ? "curl"
                                      : req.has_header("User-Agent")  ? "qt"
                                                                      : "socket";
            std::lock_guard lock(mutex_);
            ++requests[stage];
            lastHost = req.get_header_value("Host");
            res.set_content(answers[stage], "text/plain");
        });
        server_.Post("/form", [this](const httplib::Request& req, httplib::Response& res) {
            std::lock_guard lock(mutex_);
            posted = req.body;
            res.set_content("1", "text/plain");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~StageServer() {
        server_.stop();
        thread_.join();
    }
    std::wstring Url(const std::string& scheme = "http") const {
        return std::wstring(scheme.begin(), scheme.end()) + L"://127.0.0.1:" +
               std::to_wstring(port_) + L"/ocr/windows/newversion.htm";
    }

    std::map<std::string, std::string> answers;
    std::map<std::string, int> requests;
    std::string lastHost;
    std::string posted;

private:
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    std::mutex mutex_;
};

}  // namespace

class SystemHttpTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "net_tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
    }
    StageServer server_;
};

TEST_F(SystemHttpTest, EachStageIsTriedOnlyWhileTheTextIsEmpty) {
    server_.answers = {{"curl", "version=1.2.10"}, {"socket", "{\"s\":1}"}, {"qt", "from qt"}};
    EXPECT_EQ(GetUrlText(server_.Url(), true), L"version=1.2.10");
    EXPECT_EQ(server_.requests, (std::map<std::string, int>{{"curl", 1}}));

    server_.answers["curl"] = "";
    EXPECT_EQ(GetUrlText(server_.Url(), true), L"{\"s\":1}");
    EXPECT_EQ(server_.requests["socket"], 1);
    EXPECT_EQ(server_.requests["qt"], 0);

    server_.answers["socket"] = "no braces here";
    EXPECT_EQ(GetUrlText(server_.Url(), true), L"from qt");
    EXPECT_EQ(server_.requests["qt"], 1);

    server_.answers["qt"] = "";
    EXPECT_EQ(GetUrlText(server_.Url(), true), L"");
    EXPECT_EQ(server_.requests["qt"], 3) << "with the system proxy, then directly";
}

TEST_F(SystemHttpTest, TheSocketStageSendsPlainRequestsAndKeepsTheBracedPart) {
    server_.answers["socket"] = "before {\"k\": 1} middle {\"j\": 2} after";
    // An https address still gets a plain request, on the port it names.
    EXPECT_EQ(GetStringFromUrl(server_.Url("https"), 20000), L"{\"k\": 1} middle {\"j\": 2}");
    EXPECT_EQ(server_.lastHost, "127.0.0.1");
    // Only the first 4,095 bytes count, headers included: the closing brace
    // beyond them is not seen.
    server_.answers["socket"] = "{" + std::string(5000, 'a') + "}";
    EXPECT_EQ(GetStringFromUrl(server_.Url(), 20000), L"");
    EXPECT_EQ(GetStringFromUrl(L"http://127.0.0.1:1/closed", 20000), L"");
}

TEST_F(SystemHttpTest, TheQtStageReadsOneBlockAndTheFormPostArrivesWhole) {
    server_.answers["qt"] = std::string(10000, 'x');
    EXPECT_EQ(WinInetGetText(server_.Url(), false, 20000), std::wstring(4096, L'x'));

    std::wstring answer;
    const std::string body = "data=" + std::string("a+b%20c&d");
    ASSERT_TRUE(
        PostForm(server_.Url().substr(0, server_.Url().find(L"/ocr")) + L"/form", body, answer));
    EXPECT_EQ(server_.posted, body);
    EXPECT_EQ(answer, L"1");
    EXPECT_FALSE(PostForm(L"http://127.0.0.1:1/form", body, answer));
}

TEST(SplitUrl, PortsAndPaths) {
    UrlParts parts;
    ASSERT_TRUE(SplitUrl("https://stats.example.com/action.ashx?a=1", parts));
    EXPECT_EQ(parts.host, "stats.example.com");
    EXPECT_EQ(parts.port, 80) << "a plain request, on the plain port";
    EXPECT_EQ(parts.path, "/action.ashx?a=1");
    ASSERT_TRUE(SplitUrl("http://127.0.0.1:8080", parts));
    EXPECT_EQ(parts.port, 8080);
    EXPECT_EQ(parts.path, "/");
    EXPECT_FALSE(SplitUrl("http://host:99999/", parts));
    EXPECT_FALSE(SplitUrl("no scheme", parts));
}
