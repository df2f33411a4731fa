#include "recognition/table_service.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <regex>

#include "platform/file_io.h"
#include "platform/text.h"
#include "recognition/image_prep.h"
#include "recognition_fixture.h"
#include "toolkit/skin_package.h"

TEST(TableSignature, SignsTheGatewayStringWithHmacSha256) {
    const HeaderMap headers{{"Accept", "application/json;charset=utf-8"},
                            {"Content-Type", "application/octet-stream;charset=utf-8"},
                            {"X-Ca-Key", "key"},
                            {"X-Ca-Nonce", "N"},
                            {"X-Ca-Timestamp", "1700000000000"}};
    const std::string text = TableStringToSign(headers);
    EXPECT_EQ(
        text,
        "POST\napplication/json;charset=utf-8\n\napplication/octet-stream;charset=utf-8\n\n"
        "X-Ca-Key:key\nX-Ca-Nonce:N\nX-Ca-Timestamp:1700000000000\n/api/predict/ocr_table_parse");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 8);
    // Reference value from `openssl dgst -sha256 -hmac secret -binary | base64`.
    EXPECT_EQ(TableSignature(headers, "secret"), "QivP/EvidWAqTkfVBrjeWw65g6J7LW2KKXARf4t7EU0=");
}

TEST(TableSignature, NonceAndTimestampHaveTheirShapes) {
    EXPECT_TRUE(std::regex_match(
        MakeNonce(), std::regex("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}")));
    EXPECT_NE(MakeNonce(), MakeNonce());
    EXPECT_EQ(MakeTimestampMs().size(), 13u);
}

class TableServiceTest : public CloudTest {
protected:
    std::unique_ptr<OcrResult> Recognize(const std::wstring& image) {
        return RecognizeTable(Path("out"), image, cloud_->BaseUrl(),
                              {FakeCloud::kTableKey, FakeCloud::kTableSecret});
    }
    void SetUp() override {
        CloudTest::SetUp();
        CreateFolderTree(Path("out"));
    }
};

TEST_F(TableServiceTest, SpreadsheetNamesNeverCollide) {
    EXPECT_EQ(MakeSpreadsheetPath(L"", L"page"), L"");
    EXPECT_EQ(MakeSpreadsheetPath(Path("out"), L"page"), Path("out/page.xlsx"));
    WriteBytes(Path("out/page.xlsx"), "x");
    WriteBytes(Path("out/page-1.xlsx"), "x");
    EXPECT_EQ(MakeSpreadsheetPath(Path("out"), L"page"), Path("out/page-2.xlsx"));
    EXPECT_EQ(MakeSpreadsheetPath(Path("out"), L""), Path("out/Table.xlsx"));
}

TEST_F(TableServiceTest, SignedRequestBringsBackARealWorkbook) {
    const auto first = Recognize(MakeImage("a/page.png"));
    const auto second = Recognize(MakeImage("b/page.jpg"));
    const auto dotted = Recognize(MakeImage("report.final.png"));
    ASSERT_EQ(first->status, 0);
    EXPECT_EQ(first->kind, KindCode::Table);
    EXPECT_EQ(first->filePath, Path("out/page.xlsx"));
    EXPECT_EQ(second->filePath, Path("out/page-1.xlsx"));
    EXPECT_EQ(dotted->filePath, Path("out/report.final.xlsx"));
    // The file is a workbook whose sheet holds the cells.
    int error = 0;
    zip_t* archive = zip_open(NarrowPath("out/page.xlsx").c_str(), ZIP_RDONLY, &error);
    ASSERT_NE(archive, nullptr);
    EXPECT_GE(zip_name_locate(archive, "xl/worksheets/sheet1.xml", 0), 0);
    zip_close(archive);
    const auto request = cloud_->Requests().front();
    EXPECT_EQ(request.headers.at("X-Ca-Signature-Headers"), "X-Ca-Key,X-Ca-Nonce,X-Ca-Timestamp");
    EXPECT_EQ(request.headers.at("X-Ca-Version"), "1");
    EXPECT_NE(request.body.find("\"dir_assure\" : true"), std::string::npos);
    EXPECT_NE(request.body.find("\"format\" : \"xlsx\""), std::string::npos);
}

// Each failure is a result marked failed with a message of its own, and
// leaves no file behind.
TEST_F(TableServiceTest, FailuresGiveAResultMarkedFailedWithTheirOwnMessage) {
    const std::wstring image = MakeImage("page.png");
    const auto failureOf = [](const std::unique_ptr<OcrResult>& result) {
        EXPECT_EQ(result->status, -1);
        EXPECT_TRUE(result->filePath.empty());
        return result->failureKey;
    };
    // Wrong secret: the gateway rejects the signature.
    EXPECT_EQ(failureOf(RecognizeTable(Path("out"), image, cloud_->BaseUrl(),
                                       {FakeCloud::kTableKey, "nope"})),
              L"TableRefused");
    // A picture that cannot be read is not sent at all.
    const std::size_t sent = cloud_->Requests().size();
    WriteBytes(Path("noise.png"), std::string("\x89PNG\r\n\x1a\n") + std::string(300, '\x5a'));
    EXPECT_EQ(failureOf(Recognize(Path("missing.png"))), L"ImageSizeIsZero");
    EXPECT_EQ(failureOf(Recognize(Path("noise.png"))), L"ImageSizeIsZero");
    EXPECT_EQ(cloud_->Requests().size(), sent);
    cloud_->SetTableAnswer(R"({"success": false})");
    EXPECT_EQ(failureOf(Recognize(image)), L"TableRefused");
    // Payloads that are no workbook: not Base64, decoding to nothing, cut off
    // after the zip signature, plain text, a file that only starts like a zip,
    // and a real zip that holds no sheet.
    const std::string fakeZip = std::string("PK\x03\x04") + std::string(200, '\x01');
    const std::string notAWorkbook = FakeCloud::MakeWorkbook({{"a"}});
    std::string noSheet = notAWorkbook;
    for (std::size_t at = noSheet.find("xl/worksheets/"); at != std::string::npos;
         at = noSheet.find("xl/worksheets/", at + 1))
        noSheet.replace(at, 3, "zz/");
    for (const std::string& tables :
         {std::string("!!!!"), std::string("===="), std::string("UEsDBA==!!!!"),
          std::string("aGVsbG8gd29ybGQ="), Base64Encode(fakeZip), Base64Encode(noSheet)}) {
        cloud_->SetTableAnswer(R"({"success": true, "tables": ")" + tables + "\"}");
        EXPECT_EQ(failureOf(Recognize(image)), L"TableNotWorkbook") << tables;
    }
    // A cut-off answer is not read as far as it goes.
    cloud_->SetTableAnswer(R"({"success": true, "tables": ")" + Base64Encode(notAWorkbook));
    EXPECT_EQ(failureOf(Recognize(image)), L"TableRefused");
    cloud_->SetBehaviour(FakeCloud::Behaviour::Garbage);
    EXPECT_EQ(failureOf(Recognize(image)), L"TableRefused");
    cloud_->SetBehaviour(FakeCloud::Behaviour::Normal);
    cloud_->SetTableAnswer("");
    EXPECT_FALSE(FileExists(Path("out/page.xlsx")));
    // A certificate nobody trusts is a failed secure connection, not a lost network.
    FakeCloud stranger(true);
    EXPECT_EQ(failureOf(RecognizeTable(Path("out"), image, stranger.BaseUrl(),
                                       {FakeCloud::kTableKey, FakeCloud::kTableSecret})),
              L"SecureConnectionFailed");
    // No output folder.
    EXPECT_EQ(failureOf(RecognizeTable(L"", image, cloud_->BaseUrl(),
                                       {FakeCloud::kTableKey, FakeCloud::kTableSecret})),
              L"TableNotSaved");
}
