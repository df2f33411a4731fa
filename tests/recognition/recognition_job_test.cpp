#include "recognition/recognition_job.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <set>
#include <thread>

#include "app/language_file.h"
#include "app/settings.h"
#include "platform/file_io.h"
#include "recognition_fixture.h"

namespace {

// A local engine that answers from a fixed text.
class ScriptedEngine : public LocalTextEngine {
public:
    ScriptedEngine(bool available, bool succeeds, bool noText = false)
        : available_(available), succeeds_(succeeds), noText_(noText) {}
    bool IsAvailable() override { return available_; }
    bool Recognize(const std::wstring&, std::wstring& text) override {
        text = L"offline text\r\nsecond line";
        return succeeds_;
    }
    bool FoundNoText() const override { return noText_; }

private:
    bool available_, succeeds_, noText_;
};

}  // namespace

class RecognitionJobTest : public CloudTest {
protected:
    void SetUp() override {
        CloudTest::SetUp();
        job_.SetNotifyWindow(&window_);
        job_.SetMessageDisplay(&messages_);
    }
    void Run(std::vector<std::wstring> paths, KindCode kind, unsigned language = 1,
             bool offlineOnly = false) {
        ASSERT_TRUE(job_.Start({std::move(paths), kind, language, offlineOnly}));
        job_.Wait();
    }
    RecordingWindow window_;
    RecognitionJob job_;
};

TEST_F(RecognitionJobTest, EachImageIsReportedInOrder) {
    const auto a = MakeImage("a.png"), b = MakeImage("b.png");
    Run({a, b}, KindCode::TextOfflineFirst);
    ASSERT_EQ(window_.messages.size(), 2u);
    EXPECT_EQ(window_.messages[0].path, a);
    EXPECT_EQ(window_.messages[1].path, b);
    EXPECT_EQ(window_.messages[0].result.textLines[0], L"Hello TaviOCR");
    EXPECT_EQ(window_.messages[0].result.kind,
              KindCode::Text);  // high quality makes kind 0 a cloud request
    EXPECT_EQ(cloud_->CountRequests("/rest/2.0/ocr/v1/general_basic"), 2);
    EXPECT_EQ(cloud_->CountRequests("/oauth/2.0/token"), 2);  // one client per image
}

// A failing picture is named with its reason and skipped; the batch goes on
// and no box holds it (the reasons wait for the summary).
TEST_F(RecognitionJobTest, ABatchGoesOnPastFailingPicturesAndKeepsTheirReasons) {
    const auto a = MakeImage("a.png"), c = MakeImage("c.png");
    WriteBytes(Path("noise.png"), std::string(4000, 'x'));
    cloud_->QueueAnswer("/rest/2.0/ocr/v1/general_basic", R"({"words_result": []})");
    cloud_->QueueAnswer("/rest/2.0/ocr/v1/general_basic",
                        R"({"error_code": 17, "error_msg": "limit"})");
    Run({a, Path("noise.png"), c, Path("missing.png")}, KindCode::Text);
    ASSERT_EQ(window_.messages.size(), 4u);
    EXPECT_TRUE(window_.messages[0].hasResult);
    EXPECT_FALSE(window_.messages[1].hasResult);
    EXPECT_FALSE(window_.messages[2].hasResult);
    EXPECT_FALSE(window_.messages[3].hasResult);
    ASSERT_EQ(job_.Failures().size(), 3u);
    EXPECT_EQ(job_.Failures()[0].path, Path("noise.png"));
    EXPECT_EQ(job_.Failures()[0].reason, LangMessage(L"ImageSizeIsZero"));
    EXPECT_EQ(job_.Failures()[1].position, 2u);
    EXPECT_EQ(job_.Failures()[1].reason, LangMessage(L"AIPError17"));
    EXPECT_EQ(job_.Failures()[2].reason, LangMessage(L"ImageSizeIsZero"));
    EXPECT_TRUE(messages_.Keys().empty());
    EXPECT_EQ(cloud_->CountRequests("/rest/2.0/ocr/v1/general_basic"), 2);
    // The next start empties what the last one kept.
    Run({a}, KindCode::Text);
    EXPECT_EQ(job_.ErrorKey(), L"");
    EXPECT_TRUE(job_.Failures().empty());
}

TEST_F(RecognitionJobTest, AWindowClosedMidBatchTakesNoFurtherImages) {
    const auto a = MakeImage("a.png"), b = MakeImage("b.png"), c = MakeImage("c.png");
    window_.afterMessage = [this] { window_.alive = false; };
    Run({a, b, c}, KindCode::Text);
    EXPECT_EQ(window_.messages.size(), 1u);
    EXPECT_EQ(cloud_->CountRequests("/rest/2.0/ocr/v1/general_basic"), 1)
        << "nothing is sent for a batch nobody is watching";
}

TEST_F(RecognitionJobTest, StartsAreRefusedWhileBusyOrWithoutAWindow) {
    cloud_->SetBehaviour(FakeCloud::Behaviour::Stall);
    const auto a = MakeImage("a.png");
    ASSERT_TRUE(job_.Start({{a}, KindCode::Text}));
    EXPECT_FALSE(job_.Start({{a, a}, KindCode::Text}));
    job_.Wait();
    cloud_->SetBehaviour(FakeCloud::Behaviour::Normal);
    EXPECT_EQ(window_.messages.size(), 1u);
    Run({a}, KindCode::Text);  // a finished run is reaped
    window_.alive = false;
    EXPECT_FALSE(job_.Start({{a}, KindCode::Text}));
}

// A cancelled run ends with the picture in flight, which is neither a result
// nor a failure; the rest of the batch is not started.
TEST_F(RecognitionJobTest, ACancelledRunGivesThePictureInFlightNoOutcome) {
    cloud_->SetBehaviour(FakeCloud::Behaviour::Stall);  // every answer takes 3 s
    const auto a = MakeImage("a.png"), b = MakeImage("b.png");
    ASSERT_TRUE(job_.Start({{a, b}, KindCode::Text}));
    while (cloud_->Requests().empty()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    job_.Cancel();
    job_.Wait();
    EXPECT_TRUE(job_.Cancelled());
    EXPECT_TRUE(window_.messages.empty()) << "no outcome sent";
    EXPECT_TRUE(job_.FailedImages().empty());
    EXPECT_TRUE(job_.Failures().empty());
    EXPECT_EQ(cloud_->Requests().size(), 1u) << "the second picture is not started";
    cloud_->SetBehaviour(FakeCloud::Behaviour::Normal);
    Run({a}, KindCode::Text);
    EXPECT_FALSE(job_.Cancelled()) << "the next run starts afresh";
}

TEST_F(RecognitionJobTest, IdentityCardSidesBecomeOneResult) {
    const auto front = MakeImage("front.png"), back = MakeImage("back.png");
    Run({front, back}, KindCode::IdCardBothSides);
    ASSERT_EQ(window_.messages.size(), 1u);
    EXPECT_EQ(window_.messages[0].path, back);
    const auto& lines = window_.messages[0].result.textLines;
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], L"住址：北京市东城区东华门街道");
    EXPECT_EQ(lines[3], L"失效日期：20400101");
    const auto requests = cloud_->Requests();
    EXPECT_EQ(requests[1].form.at("id_card_side"), "front");
    EXPECT_EQ(requests[3].form.at("id_card_side"), "back");
}

TEST_F(RecognitionJobTest, IdentityCardFailuresKeepOrDropTheFront) {
    const auto front = MakeImage("front.png"), back = MakeImage("back.png");
    // Back side blurred: the front result alone.
    cloud_->QueueAnswer("/rest/2.0/ocr/v1/idcard", R"({"image_status": "normal", "words_result":
        {"姓名": {"words": "张三"}}})");
    cloud_->QueueAnswer("/rest/2.0/ocr/v1/idcard",
                        R"({"image_status": "blurred", "words_result": {}})");
    Run({front, back}, KindCode::IdCardBothSides);
    ASSERT_EQ(window_.messages.size(), 1u);
    EXPECT_EQ(window_.messages[0].result.textLines, std::vector<std::wstring>{L"姓名：张三"});
    EXPECT_EQ(messages_.Keys(), std::vector<std::wstring>{L"ExceptIdcardBlurred"});
    // Front side rejected: 0 with the last path, the back never sent.
    window_.messages.clear();
    cloud_->QueueAnswer("/rest/2.0/ocr/v1/idcard",
                        R"({"image_status": "reversed_side", "words_result": {}})");
    const int before = cloud_->CountRequests("/rest/2.0/ocr/v1/idcard");
    Run({front, back}, KindCode::IdCardBothSides);
    ASSERT_EQ(window_.messages.size(), 1u);
    EXPECT_FALSE(window_.messages[0].hasResult);
    EXPECT_EQ(window_.messages[0].path, back);
    EXPECT_EQ(cloud_->CountRequests("/rest/2.0/ocr/v1/idcard"), before + 1);
    // Only a front image: its result with its own path.
    window_.messages.clear();
    Run({front}, KindCode::IdCardBothSides);
    ASSERT_EQ(window_.messages.size(), 1u);
    EXPECT_EQ(window_.messages[0].path, front);
}

TEST_F(RecognitionJobTest, OfflineEngineTakesPlainTextWhenHighQualityIsOff) {
    GlobalSettings().UseHighQuality = 0;
    job_.SetOfflineEngineFactory(
        [](const LocalEngineOptions&) { return std::make_unique<ScriptedEngine>(true, true); });
    const auto a = MakeImage("a.png");
    Run({a}, KindCode::TextOfflineFirst);
    ASSERT_EQ(window_.messages.size(), 1u);
    EXPECT_EQ(window_.messages[0].result.textLines,
              std::vector<std::wstring>{L"offline text\r\nsecond line"});
    EXPECT_EQ(window_.messages[0].result.kind, KindCode::TextOfflineFirst);
    EXPECT_TRUE(cloud_->Requests().empty());
    // A failing engine falls back to the cloud, still as kind 0.
    window_.messages.clear();
    job_.SetOfflineEngineFactory(
        [](const LocalEngineOptions&) { return std::make_unique<ScriptedEngine>(true, false); });
    Run({a}, KindCode::TextOfflineFirst);
    EXPECT_EQ(window_.messages[0].result.kind, KindCode::TextOfflineFirst);
    EXPECT_EQ(cloud_->CountRequests("/rest/2.0/ocr/v1/general_basic"), 1);
}

// Offline only: whatever the engine makes of a picture is the answer, and
// nothing is uploaded, not even a picture without text.
TEST_F(RecognitionJobTest, OfflineOnlyNeverAsksTheCloud) {
    GlobalSettings().UseHighQuality = 1;
    const auto a = MakeImage("a.png");
    job_.SetOfflineEngineFactory([](const LocalEngineOptions&) {
        return std::make_unique<ScriptedEngine>(true, false, true);
    });
    const auto offlineOnly = [&] { Run({a}, KindCode::TextOfflineFirst, 1, true); };
    offlineOnly();
    ASSERT_EQ(window_.messages.size(), 1u);
    EXPECT_TRUE(window_.messages[0].hasResult);
    EXPECT_TRUE(window_.messages[0].result.textLines.empty());
    job_.SetOfflineEngineFactory(
        [](const LocalEngineOptions&) { return std::make_unique<ScriptedEngine>(true, false); });
    offlineOnly();
    EXPECT_FALSE(window_.messages[1].hasResult);
    EXPECT_EQ(job_.ErrorKey(), L"OfflineEngineFailed");
    EXPECT_TRUE(cloud_->Requests().empty());
}

// A batch read offline goes to several engines at once; the first picture's
// engine finishes only after later pictures were read, and still the results
// arrive in the batch's order. The language goes to every engine, and where
// the cloud cannot stand in, the engines have no time limit.
TEST_F(RecognitionJobTest, AnOfflineBatchIsReadSideBySideAndArrivesInOrder) {
    ::setenv("TAVIOCR_ENGINE_LANES", "3", 1);
    struct Shared {
        std::mutex mutex;
        std::condition_variable changed;
        int read = 0;
        std::set<unsigned> lanes;
        std::vector<LocalEngineOptions> options;
    } shared;
    class BlockingEngine : public LocalTextEngine {
    public:
        BlockingEngine(Shared& shared, LocalEngineOptions options)
            : shared_(shared), options_(std::move(options)) {}
        bool IsAvailable() override { return true; }
        bool Recognize(const std::wstring& path, std::wstring& text) override {
            std::unique_lock lock(shared_.mutex);
            shared_.options.push_back(options_);
            shared_.lanes.insert(options_.lane);
            // The first picture waits until two others have been read.
            if (path.ends_with(L"p0.png"))
                shared_.changed.wait(lock, [&] { return shared_.read >= 2; });
            ++shared_.read;
            shared_.changed.notify_all();
            text = path.substr(path.rfind(L'/') + 1);
            return true;
        }

    private:
        Shared& shared_;
        LocalEngineOptions options_;
    };
    job_.SetOfflineEngineFactory([&shared](const LocalEngineOptions& options) {
        return std::make_unique<BlockingEngine>(shared, options);
    });
    std::vector<std::wstring> pictures;
    for (int i = 0; i < 6; ++i) pictures.push_back(MakeImage("p" + std::to_string(i) + ".png"));
    Run(pictures, KindCode::TextOfflineFirst, 3 /* FRE */, true);
    ::unsetenv("TAVIOCR_ENGINE_LANES");
    ASSERT_EQ(window_.messages.size(), 6u);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(window_.messages[i].result.textLines,
                  std::vector<std::wstring>{L"p" + std::to_wstring(i) + L".png"});
    EXPECT_GE(shared.lanes.size(), 2u);
    for (const LocalEngineOptions& options : shared.options) {
        EXPECT_EQ(options.language, "FRE");
        EXPECT_EQ(options.timeLimit.count(), 0);
    }
    EXPECT_TRUE(cloud_->Requests().empty());
}

TEST_F(RecognitionJobTest, EveryDocumentKindReachesItsEndpointWithItsOptions) {
    const auto image = MakeImage("doc.png");
    for (KindCode kind :
         {KindCode::TextWithPositions, KindCode::Accurate, KindCode::BankCard,
          KindCode::DrivingLicence, KindCode::VehicleLicence, KindCode::VatInvoice,
          KindCode::BusinessLicence, KindCode::Passport, KindCode::BankAccountLicence})
        Run({image}, kind, 0);
    ASSERT_EQ(window_.messages.size(), 9u);
    for (const auto& m : window_.messages) EXPECT_TRUE(m.hasResult);
    std::map<std::string, std::map<std::string, std::string>> forms;
    for (const auto& r : cloud_->Requests())
        if (r.path.starts_with("/rest/")) forms[r.path] = r.form;
    EXPECT_EQ(forms["/rest/2.0/ocr/v1/general"].at("language_type"), "CHN_ENG");
    EXPECT_EQ(forms["/rest/2.0/ocr/v1/vehicle_license"].size(),
              3u);  // accuracy, detect_direction, image
    EXPECT_EQ(forms["/rest/2.0/ocr/v1/passport"].size(), 1u);
    EXPECT_EQ(forms["/rest/2.0/ocr/v1/accurate_basic"].size(), 1u);
    EXPECT_EQ(window_.messages[2].result.bankName, L"交通银行");
    EXPECT_EQ(window_.messages[5].result.textLines.back().substr(0, 2), L"墨盒");
}

TEST_F(RecognitionJobTest, ServiceAndTransportErrorsOfOnePictureShowTheirMessage) {
    const auto image = MakeImage("doc.png");
    cloud_->SetAnswer("/rest/2.0/ocr/v1/general_basic",
                      R"({"error_code": 216202, "error_msg": "image size error"})");
    Run({image}, KindCode::Text);
    EXPECT_EQ(window_.messages.size(), 1u);
    EXPECT_EQ(messages_.Keys(), std::vector<std::wstring>{L"AIPError216202"});
    messages_.shown.clear();
    cloud_->SetBehaviour(FakeCloud::Behaviour::Garbage);
    Run({image}, KindCode::Text);
    EXPECT_EQ(messages_.Keys(), std::vector<std::wstring>{L"ServiceAnswerNotJson"});
    messages_.shown.clear();
    cloud_.reset();  // the service is gone: connections are refused
    Run({image}, KindCode::Text);
    EXPECT_EQ(messages_.Keys(), std::vector<std::wstring>{L"CURL_NONETWORK"});
    cloud_ = std::make_unique<FakeCloud>();
}

TEST_F(RecognitionJobTest, TablesAreWrittenAndTheRunGoesOnAfterAFailedOne) {
    CreateFolderTree(Path("out"));
    job_.SetOutputFolder(Path("out"));
    const auto page = MakeImage("page.png");
    Run({Path("missing.png"), page}, KindCode::Table);
    ASSERT_EQ(window_.messages.size(), 2u);
    EXPECT_EQ(window_.messages[0].result.status, -1);
    EXPECT_EQ(window_.messages[1].result.status, 0);
    EXPECT_TRUE(FileExists(Path("out/page.xlsx")));
}

TEST_F(RecognitionJobTest, AnOutputFolderRemovedMidBatchIsMadeAgain) {
    CreateFolderTree(Path("out/batch"));
    job_.SetOutputFolder(Path("out/batch"));
    const auto first = MakeImage("first.png");
    const auto second = MakeImage("second.png");
    // The user deletes the results folder while the batch runs: the next
    // table still lands, in the same place.
    window_.afterMessage = [&] {
        if (window_.messages.size() == 1) std::filesystem::remove_all(NarrowPath("out"));
    };
    Run({first, second}, KindCode::Table);
    ASSERT_EQ(window_.messages.size(), 2u);
    EXPECT_EQ(window_.messages[1].result.status, 0);
    EXPECT_TRUE(FileExists(Path("out/batch/second.xlsx")));
}
