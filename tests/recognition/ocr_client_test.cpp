#include "recognition/ocr_client.h"

#include <gtest/gtest.h>

#include <ctime>

#include "net/endpoints.h"
#include "recognition/image_prep.h"
#include "recognition_fixture.h"
#include "support/test_certificates.h"

class OcrClientTest : public CloudTest {
protected:
    OcrClient Client() {
        return OcrClient("app-id", FakeCloud::kApiKey, FakeCloud::kSecretKey, cloud_->BaseUrl());
    }
    const std::string kPath = "/rest/2.0/ocr/v1/general_basic";
};

TEST_F(OcrClientTest, TokenIsFetchedOnceAndReusedUntilADayBeforeExpiry) {
    OcrClient client = Client();
    const std::string token = client.GetAccessToken();
    EXPECT_EQ(token, "24.token1");
    EXPECT_EQ(client.GetAccessToken(), token);
    EXPECT_EQ(cloud_->CountRequests("/oauth/2.0/token"), 1);
    const auto request = cloud_->Requests().front();
    EXPECT_EQ(request.query.at("grant_type"), "client_credentials");
    EXPECT_EQ(request.query.at("client_id"), FakeCloud::kApiKey);
    // Less than a day left: fetched again.
    client.SetCachedToken(token, std::time(nullptr) + 86000);
    EXPECT_EQ(client.GetAccessToken(), "24.token2");
    EXPECT_EQ(cloud_->CountRequests("/oauth/2.0/token"), 2);
}

TEST_F(OcrClientTest, RequestCarriesSdkFieldsTokenAndEscapedForm) {
    OcrClient client = Client();
    const Json::Value answer = WholeAnswer(
        client.Recognize(KindCode::Text, "\xFB\xFF\xBE image", {{"language_type", "ENG"}}));
    EXPECT_EQ(answer["words_result"][0]["words"].asString(), "Hello TaviOCR");
    const auto post = cloud_->Requests().back();
    EXPECT_EQ(post.path, kPath);
    EXPECT_EQ(post.query.at("aipSdk"), "C");
    EXPECT_EQ(post.query.at("aipSdkVersion"), "0.7.4");
    EXPECT_EQ(post.query.at("access_token"), "24.token1");
    EXPECT_EQ(post.body,
              "image=" + CurlEscape(Base64Encode("\xFB\xFF\xBE image")) + "&language_type=ENG&");
    EXPECT_NE(post.body.find("%2B%2F%2B%2B"), std::string::npos);
}

TEST_F(OcrClientTest, ExpiredTokenIsRetriedExactlyOnce) {
    const std::string expired = R"({"error_code": 110, "error_msg": "Access token invalid"})";
    cloud_->QueueAnswer(kPath, expired);
    OcrClient client = Client();
    EXPECT_FALSE(client.Recognize(KindCode::Text, "img", {}).value.isMember("error_code"));
    EXPECT_EQ(cloud_->CountRequests(kPath), 2);
    EXPECT_EQ(cloud_->CountRequests("/oauth/2.0/token"), 2);

    cloud_->QueueAnswer(kPath, expired);
    cloud_->QueueAnswer(kPath, R"({"error_code": 111, "error_msg": "expired"})");
    OcrClient second = Client();
    EXPECT_EQ(second.Recognize(KindCode::Text, "img", {}).value["error_code"].asInt(), 111);
    EXPECT_EQ(cloud_->CountRequests(kPath), 4);
}

TEST_F(OcrClientTest, QueryIsAppendedAfterAnExistingQuestionMark) {
    OcrClient client = Client();
    std::string response;
    EXPECT_EQ(client.HttpPostForm(cloud_->BaseUrl() + kPath + "?x=1", {{"aipSdk", "C"}},
                                  "image=QQ%3D%3D&", {{"X-Test", "1"}}, response),
              0);
    const auto post = cloud_->Requests().back();
    EXPECT_EQ(post.query.at("x"), "1");
    EXPECT_EQ(post.query.at("aipSdk"), "C");
    EXPECT_EQ(post.headers.at("X-Test"), "1");
    EXPECT_EQ(EncodeFormPairs({}), "");
}

TEST_F(OcrClientTest, NoImageIsPostedWhenTheTokenCannotBeFetched) {
    OcrClient client("app-id", FakeCloud::kApiKey, FakeCloud::kSecretKey, "https://127.0.0.1:1");
    const Json::Value answer = client.Recognize(KindCode::Text, "img", {}).value;
    EXPECT_EQ(answer["curl_error_code"].asInt(), 7);
    EXPECT_EQ(cloud_->Requests().size(), 0u);
}

TEST_F(OcrClientTest, AServerWithAnUntrustedCertificateIsRefused) {
    FakeCloud stranger(true);
    OcrClient client("app-id", FakeCloud::kApiKey, FakeCloud::kSecretKey, stranger.BaseUrl());
    EXPECT_EQ(client.Recognize(KindCode::Text, "img", {}).value["curl_error_code"].asInt(), 60);
    EXPECT_TRUE(stranger.Requests().empty());
}

TEST_F(OcrClientTest, OversizedAnswersAbortAsFailures) {
    cloud_->SetBehaviour(FakeCloud::Behaviour::Huge);
    OcrClient client = Client();
    EXPECT_EQ(client.Recognize(KindCode::Text, "img", {}).value["curl_error_code"].asInt(), 23);
}
