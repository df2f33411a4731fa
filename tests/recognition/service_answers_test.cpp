// Answers in the shapes the real service sends them, and answers that are no
// answer at all, through the job against the loopback service.

#include <gtest/gtest.h>

#include "recognition/recognition_job.h"
#include "recognition_fixture.h"
#include "support/fake_cloud_service.h"

class ServiceAnswersTest : public CloudTest {
protected:
    void SetUp() override {
        CloudTest::SetUp();
        job_.SetNotifyWindow(&window_);
        job_.SetMessageDisplay(&messages_);
        image_ = MakeImage("doc.png");
    }
    // The one message of a run of the picture with the kind.
    RecordingWindow::Message Run(KindCode kind) {
        window_.messages.clear();
        messages_.shown.clear();
        std::vector<std::wstring> paths{image_};
        if (kind == KindCode::IdCardBothSides) paths.push_back(image_);
        EXPECT_TRUE(job_.Start({paths, kind}));
        job_.Wait();
        EXPECT_EQ(window_.messages.size(), 1u);
        return window_.messages.empty() ? RecordingWindow::Message{} : window_.messages.back();
    }
    RecordingWindow window_;
    RecognitionJob job_;
    std::wstring image_;
};

TEST_F(ServiceAnswersTest, LogIdsAsStringsOrAbove2To63NeverLoseADocument) {
    const std::pair<const char*, std::uint64_t> shapes[] = {
        {R"("5425496231209218858")", 5425496231209218858ull},
        {"18446744073709551615", 18446744073709551615ull},
        {R"("not a number")", 0},
    };
    for (const auto& [shape, id] : shapes) {
        cloud_->SetLogId(shape);
        // Plain text, accurate text, both card sides, invoice, business licence.
        for (const auto& [kind, lines] : {std::pair{KindCode::Text, 2u},
                                          {KindCode::Accurate, 2u},
                                          {KindCode::IdCardBothSides, 6u},
                                          {KindCode::VatInvoice, 6u},
                                          {KindCode::BusinessLicence, 2u}}) {
            const auto message = Run(kind);
            ASSERT_TRUE(message.hasResult) << shape << " kind " << KindNumber(kind);
            EXPECT_EQ(message.result.textLines.size(), lines)
                << shape << " kind " << KindNumber(kind);
            EXPECT_EQ(static_cast<std::uint64_t>(message.result.logId), id) << shape;
            EXPECT_TRUE(messages_.shown.empty()) << shape << " kind " << KindNumber(kind);
        }
    }
}

TEST_F(ServiceAnswersTest, CutOffAndForeignAnswersAreFailuresWithTheirMessage) {
    const std::string path = "/rest/2.0/ocr/v1/general_basic";
    const std::string whole = R"({"log_id": 1, "words_result_num": 2, "words_result": [)"
                              R"({"words": "first"}, {"words": "second"}]})";
    // Cut inside the lines, after them, and one broken line among good ones.
    for (const std::string& broken :
         {whole.substr(0, whole.find("second")), whole.substr(0, whole.size() - 1),
          std::string(R"({"words_result": [{"words": "a"}, {"words": tru}, {"words": "c"}]})")}) {
        cloud_->SetAnswer(path, broken);
        EXPECT_FALSE(Run(KindCode::Text).hasResult) << broken;
        ASSERT_EQ(messages_.Keys(), std::vector<std::wstring>{L"JsonFormatErr"}) << broken;
        EXPECT_FALSE(messages_.shown[0].text.empty()) << "the parser says what is wrong";
    }
    // A proxy's refusal of a large upload, an error page.
    cloud_->SetAnswer(path,
                      "<html><head><title>413 Request Entity Too Large</title></head></html>");
    EXPECT_FALSE(Run(KindCode::Text).hasResult);
    EXPECT_EQ(messages_.Keys(), std::vector<std::wstring>{L"ServiceAnswerNotJson"});
}

TEST_F(ServiceAnswersTest, RefusedServiceKeysSendNoPicture) {
    ProcessCredentials().apiKey = "a key the service does not know";
    EXPECT_FALSE(Run(KindCode::Text).hasResult);
    EXPECT_EQ(messages_.Keys(), std::vector<std::wstring>{L"AuthorizationFailed"});
    EXPECT_EQ(cloud_->CountRequests("/oauth/2.0/token"), 1);
    EXPECT_EQ(cloud_->CountRequests("/rest/2.0/ocr/v1/general_basic"), 0);
}
