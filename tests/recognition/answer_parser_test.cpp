#include "recognition/answer_parser.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/diagnostics.h"
#include "app/process_globals.h"
#include "platform/text.h"
#include "recognition/daily_count.h"
#include "recognition/kinds.h"
#include "recognition/ocr_client.h"
#include "recognition_fixture.h"

class AnswerParserTest : public ::testing::Test {
protected:
    void SetUp() override {
        Globals() = ProcessGlobals{};
        Globals().ExeFolder = Utf8ToWide(TAVIOCR_OUT_DIR);
    }
    std::unique_ptr<OcrResult> Parse(const std::string& json,
                                     KindCode jobKind = KindCode::TextOfflineFirst,
                                     std::optional<KindCode> callKind = std::nullopt,
                                     bool highQuality = true) {
        ParseContext context;
        context.jobKind = jobKind;
        context.callKind = callKind.value_or(jobKind);
        context.useHighQuality = highQuality;
        context.messages = &messages_;
        return ParseOcrAnswer(ParseJsonLenient(json), context);
    }
    RecordingMessages messages_;
};

TEST_F(AnswerParserTest, TransportFailuresShowTheirMessages) {
    EXPECT_FALSE(Parse(R"({"curl_error_code": 28})"));
    EXPECT_FALSE(Parse(R"({"curl_error_code": 6})", KindCode::TextOfflineFirst,
                       KindCode::TextOfflineFirst, false));
    EXPECT_FALSE(Parse(R"({"curl_error_code": 6})", KindCode::BankCard, KindCode::BankCard, false));
    EXPECT_FALSE(
        Parse(R"({"curl_error_code": 6})", KindCode::TextOfflineFirst, KindCode::Text, true));
    // Refused connections and TLS failures are failures, not empty results.
    EXPECT_FALSE(Parse(R"({"curl_error_code": 7})"));
    EXPECT_FALSE(Parse(R"({"curl_error_code": 60})"));
    // An answer over the size cap says so (libcurl's write error).
    EXPECT_FALSE(Parse(R"({"curl_error_code": 23})"));
    EXPECT_EQ(messages_.Keys(),
              (std::vector<std::wstring>{L"CURL_TIMEOUT", L"OCRNotResult", L"CURL_NONETWORK",
                                         L"CURL_NONETWORK", L"CURL_NONETWORK",
                                         L"SecureConnectionFailed", L"AnswerTooLarge"}));
    EXPECT_EQ(messages_.shown[0].style, kStyleInformation);
}

TEST_F(AnswerParserTest, ServiceErrorsShowTheirCodeKeyWithTheDefaultText) {
    EXPECT_FALSE(Parse(R"({"error_code": 17, "error_msg": "Open api daily request limit reached",
                          "words_result": [{"words": "ignored"}]})"));
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].key, L"AIPError17");
    EXPECT_EQ(messages_.shown[0].style, kStyleError);
    EXPECT_NE(messages_.shown[0].text.find(L"could not process"), std::wstring::npos);
}

// "{}" is a picture without text; an answer that only carries a log_id (or a
// shape of its own) is no text either, but is noted in the log for diagnosis.
TEST_F(AnswerParserTest, AnswersWithoutLinesAreNoTextAndOddShapesAreLogged) {
    std::string folder = (std::filesystem::temp_directory_path() / "taviocr-log.XXXXXX").string();
    ASSERT_NE(::mkdtemp(folder.data()), nullptr);
    const std::wstring previous = LogPath();
    SetLogPath(Utf8ToWide(folder + "/run.log"));
    const auto empty = Parse("{}");
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->textLines.empty());
    EXPECT_FALSE(std::filesystem::exists(folder + "/run.log"));
    const auto odd = Parse(R"({"log_id": 77, "result": {"x": 1}})");
    ASSERT_TRUE(odd);
    EXPECT_TRUE(odd->textLines.empty());
    EXPECT_NE(ReadBytes(Utf8ToWide(folder + "/run.log"))
                  .find("answer without words_result: log_id, result"),
              std::string::npos);
    EXPECT_TRUE(messages_.Keys().empty());
    SetLogPath(previous);
    std::filesystem::remove_all(folder);
}

TEST_F(AnswerParserTest, PlainTextKeepsLinesPositionsAndProbabilities) {
    const int before = RecognitionsToday();
    const auto r = Parse(R"({"log_id": 8801234567890123456, "direction": 1, "language": 3,
        "words_result_num": 3, "words_result": [
        {"words": "Hello", "location": {"top": 1, "left": 2, "width": 3, "height": 4},
         "probability": {"average": 0.9, "variance": 0.01, "min": 0.8}},
        {"words": ""},
        {"words": "中文", "location": {"top": 5, "left": 6, "width": 7, "height": 8}}]})",
                         KindCode::TextOfflineFirst, KindCode::Text);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->textLines, (std::vector<std::wstring>{L"Hello", L"", L"中文"}));
    ASSERT_EQ(r->locations.size(), 2u);
    EXPECT_EQ(r->locations[1].top, 5);
    EXPECT_EQ(r->locations[1].height, 8);
    ASSERT_EQ(r->probabilities.size(), 1u);
    EXPECT_DOUBLE_EQ(r->probabilities[0].min, 0.8);
    EXPECT_EQ(r->logId, 8801234567890123456);
    EXPECT_EQ(r->direction, 1);
    EXPECT_EQ(r->language, 3);
    EXPECT_EQ(r->wordsCount, 3);
    EXPECT_EQ(r->kind, KindCode::Text);
    EXPECT_EQ(RecognitionsToday(), before + 1);
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(AnswerParserTest, WrongTypesAndBrokenAnswersGiveTheFormatMessage) {
    EXPECT_FALSE(Parse(R"({"words_result": 5})"));
    EXPECT_FALSE(Parse(R"({"words_result": [{"words": {"nested": 1}}]})"));
    EXPECT_FALSE(Parse(R"({"words_result": {"a": 1}})", KindCode::DrivingLicence));
    EXPECT_FALSE(Parse(R"({"error_code": "x"})"));
    EXPECT_FALSE(Parse(std::string(5000, '[') + std::string(5000, ']')));  // deeply nested
    ASSERT_EQ(messages_.shown.size(), 5u);
    for (const auto& shown : messages_.shown) EXPECT_EQ(shown.key, L"JsonFormatErr");
    EXPECT_FALSE(messages_.shown[0].text.empty());
}

TEST_F(AnswerParserTest, InvalidUtf8AndHugeAnswersStayReadable) {
    const auto r = Parse("{\"words_result\": [{\"words\": \"ok \xC3\x28 end\"}]}");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->textLines[0].find(L"ok "), 0u);
    std::string many = R"({"words_result_num": 100000, "words_result": [)";
    for (int i = 0; i < 100000; ++i) many += (i ? "," : "") + std::string(R"({"words": "line"})");
    many += "]}";
    const auto big = Parse(many);
    ASSERT_TRUE(big);
    EXPECT_EQ(big->textLines.size(), 100000u);
}

TEST_F(AnswerParserTest, IdentityCardsRejectBadImagesAndAcceptUnknownStatuses) {
    const auto r = Parse(R"({"image_status": "normal", "risk_type": "copy", "edit_tool": "ps",
        "words_result": {"姓名": {"words": "张三"}, "住址": {"words": "北京"}}})",
                         KindCode::IdCardBothSides, KindCode::IdCardFront);
    ASSERT_TRUE(r);
    // Member order is the byte order of the UTF-8 names: 住 (E4 BD) before 姓 (E5 A7).
    EXPECT_EQ(r->textLines, (std::vector<std::wstring>{L"住址：北京", L"姓名：张三"}));
    EXPECT_EQ(r->cardStatus.riskType, "copy");
    EXPECT_EQ(r->kind, KindCode::IdCardFront);
    EXPECT_TRUE(
        Parse(R"({"image_status": "brand_new", "words_result": {}})", KindCode::IdCardBothSides));
    const std::pair<const char*, const wchar_t*> rejections[] = {
        {"reversed_side", L"ExceptIdcardRS"},
        {"non_idcard", L"ExceptIdcardNoIdcard"},
        {"blurred", L"ExceptIdcardBlurred"},
        {"over_exposure", L"ExceptIdcardOE"},
        {"unknown", L"ExceptIdcardUnknow"}};
    for (const auto& [status, key] : rejections) {
        messages_.shown.clear();
        EXPECT_FALSE(Parse(std::string(R"({"image_status": ")") + status +
                               R"(", "words_result": {"姓名": {"words": "x"}}})",
                           KindCode::IdCardBothSides));
        ASSERT_EQ(messages_.Keys(), std::vector<std::wstring>{key});
    }
}

TEST_F(AnswerParserTest, BankCardsFillTheirOwnFields) {
    const auto r = Parse(R"({"result": {"bank_card_number": "6222 6000", "bank_name": "交通银行",
                              "bank_card_type": 2}})",
                         KindCode::BankCard);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->bankCardNumber, "6222 6000");
    EXPECT_EQ(r->bankName, L"交通银行");
    EXPECT_EQ(r->bankCardType, 2);
    EXPECT_TRUE(r->textLines.empty());
}

TEST_F(AnswerParserTest, InvoicesLabelKnownMembersThenListTheGoods) {
    const auto r = Parse(R"({"words_result": {
        "InvoiceNum": "14641426", "NoSuchLabel": "x", "TotalTax": "",
        "CommodityName": [{"word": "Pen"}, {"word": ""}, {"word": "Ink"}],
        "CommodityNum": [{"word": "2"}], "CommodityPrice": [{"word": "1.50"}],
        "CommodityAmount": [{"word": "3.00"}], "CommodityTaxRate": [{"word": "13%"}],
        "CommodityTax": [{"word": "0.39"}], "CommodityUnit": [{"word": "box"}],
        "CommodityType": [{"word": "A"}], "Other": [1, 2]}})",
                         KindCode::VatInvoice);
    ASSERT_TRUE(r);
    ASSERT_EQ(r->textLines.size(), 2u);
    EXPECT_EQ(r->textLines[0], L"Invoice number：14641426");
    EXPECT_EQ(r->textLines[1],
              L"Pen  A  × 2 box  unit price 1.50  amount 3.00  tax rate 13%  tax 0.39");
}
