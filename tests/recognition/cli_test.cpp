// taviocr-cli end to end, as a user runs it, against the loopback services.

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>
#include <gtest/gtest.h>
#include <json/json.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <QImage>
#include <filesystem>
#include <fstream>

#include "platform/text.h"
#include "recognition/image_prep.h"
#include "recognition_fixture.h"
#include "support/rendered_text.h"
#include "support/test_certificates.h"
#include "support/test_scanner.h"
#include "taviocr_version.h"

namespace fs = std::filesystem;

class CliTest : public CloudTest {
protected:
    struct Run {
        int status;
        std::string out;
        std::string err;
    };

    void SetUp() override {
        CloudTest::SetUp();
        const fs::path built = TAVIOCR_OUT_DIR;
        const fs::path app = NarrowPath("app");
        fs::create_directories(app / "language");
        for (const char* file : {"taviocr-cli", "taviocr-lang", "barcode_reader.so", "oem.ini",
                                 "language/en.dat", "language/tr.dat"})
            fs::copy_file(built / file, app / file);
        for (const auto& [key, value] :
             std::vector<std::pair<std::string, std::string>>{{"AAK", FakeCloud::kApiKey},
                                                              {"ASK", FakeCloud::kSecretKey},
                                                              {"ALIAK", FakeCloud::kTableKey},
                                                              {"ALISK", FakeCloud::kTableSecret}})
            ASSERT_EQ(
                std::system(((app / "taviocr-lang").string() + " set " +
                             (app / "language/en.dat").string() + " Text " + key + " " + value)
                                .c_str()),
                0);
        std::ofstream(NarrowPath("endpoints.ini"))
            << "[Hosts]\nOcr=" << cloud_->BaseUrl() << "\nTable=" << cloud_->BaseUrl()
            << "\n[TLS]\nCABundle=" << Certificates().caFile << "\n";
        ::setenv("TAVIOCR_ENDPOINTS", NarrowPath("endpoints.ini").c_str(), 1);
        ::setenv("LANG", "C.UTF-8", 1);
    }
    void TearDown() override {
        ::unsetenv("TAVIOCR_ENDPOINTS");
        CloudTest::TearDown();
    }
    Run Cli(const std::string& args) {
        const std::string command = "cd '" + NarrowPath("") + "' && app/taviocr-cli " + args +
                                    " 2>'" + NarrowPath("stderr.txt") + "'";
        FILE* pipe = ::popen(command.c_str(), "r");
        std::string out;
        char buffer[4096];
        while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
        const int status = ::pclose(pipe);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out, ReadBytes(Path("stderr.txt"))};
    }
};

TEST_F(CliTest, PrintsTheTextOfEachImage) {
    MakeImage("a.png");
    MakeImage("b.png");
    const Run run = Cli("a.png b.png");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("# " + NarrowPath("a.png") + "\nHello TaviOCR\n第二行 text\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("# " + NarrowPath("b.png")), std::string::npos);
}

TEST_F(CliTest, CardsInvoicesAndLicencesComeAsFields) {
    MakeImage("card.png");
    EXPECT_NE(Cli("--kind bankcard card.png").out.find("交通银行\n6222 6000 1234 5678"),
              std::string::npos);
    EXPECT_NE(Cli("--kind invoice card.png").out.find("Invoice number：14641426"),
              std::string::npos);
    EXPECT_NE(Cli("--kind driving card.png").out.find("姓名：李四"), std::string::npos);
    EXPECT_NE(Cli("--kind banklicence card.png").out.find("账号：12345678901234"),
              std::string::npos);
    const Run id = Cli("--kind idcard card.png card.png");
    EXPECT_NE(id.out.find("姓名：张三\n失效日期：20400101"), std::string::npos) << id.out;
}

TEST_F(CliTest, JsonOutFolderAndTables) {
    MakeImage("scan.png");
    const Run json = Cli("--json scan.png");
    EXPECT_NE(json.out.find("\"log_id\" : 1001"), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"average\" : 0.9"), std::string::npos);
    ASSERT_EQ(Cli("--out results scan.png").status, 0);
    const std::string saved = ReadBytes(Path("results/TaviOCR/scan.png.txt"));
    EXPECT_EQ(saved, "\xFF\xFE" + EncodeUtf16Le(L"Hello TaviOCR\r\n第二行 text\r\n"));
    ASSERT_EQ(Cli("--out results scan.png").status, 0);
    EXPECT_TRUE(fs::exists(NarrowPath("results/TaviOCR1/scan.png.txt")));
    fs::create_directories(NarrowPath("other"));
    MakeImage("other/scan.png");
    ASSERT_EQ(Cli("--out twice scan.png other/scan.png").status, 0);
    EXPECT_TRUE(fs::exists(NarrowPath("twice/TaviOCR/scan.png.txt")));
    EXPECT_TRUE(fs::exists(NarrowPath("twice/TaviOCR/scan.png (2).txt")))
        << "a second picture of the same name keeps its own file";
    const Run table = Cli("--kind table --out tables scan.png");
    EXPECT_EQ(table.status, 0) << table.err;
    EXPECT_TRUE(fs::exists(NarrowPath("tables/scan.xlsx")));
}

TEST_F(CliTest, FailuresPrintTheirMessageAndExitNonZero) {
    const Run missing = Cli("missing.png");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("This picture is empty or cannot be read"), std::string::npos)
        << missing.err;
    MakeImage("a.png");
    cloud_->SetAnswer("/rest/2.0/ocr/v1/general_basic",
                      R"({"error_code": 17, "error_msg": "limit"})");
    const Run limited = Cli("a.png");
    EXPECT_EQ(limited.status, 1);
    EXPECT_NE(limited.err.find("Today's recognition limit has been reached"), std::string::npos);
    EXPECT_EQ(Cli("--kind nonsense a.png").status, 2);
    EXPECT_EQ(Cli("--engine offline a.png").status, 1);
    // Not installed: the version it was built as.
    EXPECT_EQ(Cli("--version").out, std::string("taviocr-cli ") + TAVIOCR_VERSION + "\n");
}

// Service keys and pictures never travel in clear text, not even to loopback.
TEST_F(CliTest, AServiceHostWithoutHttpsIsRefusedAndNothingIsSent) {
    MakeImage("a.png");
    std::string plain = cloud_->BaseUrl();
    plain.replace(0, 5, "http");
    for (const char* kind : {"text", "table"}) {
        std::ofstream(NarrowPath("endpoints.ini"))
            << "[Hosts]\nOcr=" << plain << "\nTable=" << plain << "\n";
        const Run run = Cli(std::string("--kind ") + kind + " --out out a.png");
        EXPECT_EQ(run.status, 1) << kind;
        EXPECT_NE(run.err.find("does not use HTTPS"), std::string::npos) << run.err;
    }
    EXPECT_TRUE(cloud_->Requests().empty());
}

// A FIFO or a device named like a picture is refused at once instead of
// waiting for a writer; a name that is not UTF-8 is opened by its own bytes.
TEST_F(CliTest, PicturesThatAreNoFilesAreRefusedAndNamesOfAnyBytesAreRead) {
    MakeImage("a.png");
    ASSERT_EQ(::mkfifo(NarrowPath("pipe.png").c_str(), 0600), 0);
    const Run fifo = Cli("pipe.png a.png");  // the batch goes on past it
    EXPECT_EQ(fifo.status, 1);
    EXPECT_NE(fifo.out.find("Hello TaviOCR"), std::string::npos);
    EXPECT_NE(fifo.err.find("pipe.png: This picture is empty or cannot be read"), std::string::npos)
        << fifo.err;
    const Run device = Cli("/dev/zero");
    EXPECT_EQ(device.status, 1);

    fs::copy_file(NarrowPath("a.png"), NarrowPath("bad\377name.png"));
    const Run odd = Cli("--out results 'bad\377name.png'");
    EXPECT_EQ(odd.status, 0) << odd.err;
    EXPECT_NE(odd.out.find("Hello TaviOCR"), std::string::npos);
    EXPECT_TRUE(fs::exists(NarrowPath("results/TaviOCR/bad\377name.png.txt")));
}

TEST_F(CliTest, AnUnreadableLanguageFileIsNamedOnceAndFailsTheRun) {
    MakeImage("a.png");
    std::ofstream(NarrowPath("app/language/en.dat"), std::ios::trunc) << "not a language file";
    const Run run = Cli("a.png");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "taviocr-cli: The language file \xE2\x80\x9C" +
                           NarrowPath("app/language/en.dat") +
                           "\xE2\x80\x9D cannot be read. Please reinstall TaviOCR.\n")
        << "no raw keys, no library warnings";
    EXPECT_TRUE(cloud_->Requests().empty());
}

TEST_F(CliTest, MergeGivesOneTextAndOneFileForTheBatch) {
    MakeImage("a.png");
    MakeImage("b.png");
    const Run run = Cli("--merge --out merged a.png b.png");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.find("# "), std::string::npos) << run.out;
    const std::string once = "Hello TaviOCR\n第二行 text\n";
    EXPECT_NE(run.out.find(once + "\n" + once), std::string::npos) << run.out;
    // One file for the batch, no per-image files.
    const std::wstring block = L"Hello TaviOCR\r\n第二行 text\r\n\r\n";
    EXPECT_EQ(ReadBytes(Path("merged/TaviOCR/1.txt")), "\xFF\xFE" + EncodeUtf16Le(block + block));
    EXPECT_FALSE(fs::exists(NarrowPath("merged/TaviOCR/a.png.txt")));
}

TEST_F(CliTest, AResultThatCannotBeWrittenFailsTheRun) {
    // A 255-byte image name is allowed; its result name, four bytes longer,
    // is not: the text is still printed, and the run says it failed.
    const std::string name = std::string(251, 'a') + ".png";
    MakeImage(name);
    const Run run = Cli("--out results " + name);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("could not be saved"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("Hello TaviOCR"), std::string::npos);
    // Logged where the window program logs, not in the shared temporary folder.
    EXPECT_NE(ReadBytes(Path("data/TaviOCR/run.log")).find("SaveTextToFile"), std::string::npos);
}

TEST_F(CliTest, APictureWithoutTextPrintsAndWritesNothing) {
    MakeImage("blank.png");
    cloud_->SetAnswer("/rest/2.0/ocr/v1/general_basic",
                      R"({"log_id": 7, "words_result_num": 0, "words_result": []})");
    const Run run = Cli("--out results ./blank.png");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err,
              "taviocr-cli: " + NarrowPath("blank.png") + ": No text was found in this picture.\n");
    EXPECT_TRUE(fs::is_empty(NarrowPath("results/TaviOCR")));
    const Run json = Cli("--json blank.png");
    EXPECT_NE(json.out.find("\"text\" : \"\""), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"text_found\" : false"), std::string::npos) << json.out;
}

TEST_F(CliTest, EveryFailingPictureIsNamedAndFailsTheRun) {
    MakeImage("front.png");
    MakeImage("back.png");
    cloud_->QueueAnswer(
        "/rest/2.0/ocr/v1/idcard",
        R"({"log_id": 1, "image_status": "normal", "words_result": {"姓名": {"words": "张三"}}})");
    cloud_->QueueAnswer("/rest/2.0/ocr/v1/idcard",
                        R"({"log_id": 2, "image_status": "blurred", "words_result": {}})");
    const Run card = Cli("--kind idcard front.png back.png");
    EXPECT_EQ(card.status, 1) << "a rejected back side is a failure";
    EXPECT_EQ(card.out, "姓名：张三\n\n");
    EXPECT_NE(card.err.find(NarrowPath("back.png") + ": The identity card picture is blurred"),
              std::string::npos)
        << card.err;
    const Run none = Cli("");
    EXPECT_EQ(none.status, 2);
    EXPECT_NE(none.err.find("Usage: taviocr-cli"), std::string::npos);
}

TEST_F(CliTest, PicturesTheCloudDoesNotTakeGoAsPng) {
    QImage image(64, 32, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (const char* format : {"tiff", "webp"}) {
        const std::string name = std::string("scan.") + format;
        ASSERT_TRUE(image.save(QString::fromStdString(NarrowPath(name)), format)) << format;
        const Run run = Cli("--json sub/../" + name);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find("\"image\" : \"" + NarrowPath(name) + "\""), std::string::npos)
            << run.out;
        const std::string sent = Base64Decode(cloud_->Requests().back().form.at("image"));
        EXPECT_EQ(sent.substr(0, 4), "\x89PNG") << format;
        // A table keeps the picture's own name (not the name of a copy).
        EXPECT_EQ(Cli("--kind table --out tables " + name).status, 0);
        EXPECT_TRUE(fs::exists(NarrowPath("tables/scan.xlsx")) ||
                    fs::exists(NarrowPath("tables/scan-1.xlsx")))
            << format;
    }
    EXPECT_FALSE(fs::exists(NarrowPath("tmp/taviOCR")) && !fs::is_empty(NarrowPath("tmp/taviOCR")))
        << "the copies are removed";
}

// Pages of SANE's test scanner, through the program's own manager module.
TEST_F(CliTest, ScannedPagesAreRecognisedInOrderLikeFiles) {
    UseTestScanner(NarrowPath("sane"));

    EXPECT_NE(Cli("--scan").err.find("No scanner support was found"), std::string::npos)
        << "without the module beside the program";
    fs::copy_file(fs::path(TAVIOCR_OUT_DIR) / "TWAIN_32.DLL", NarrowPath("app/TWAIN_32.DLL"));

    const Run run = Cli("--scan --device test:1 --pages 2 --out results");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::exists(NarrowPath("results/TaviOCR/pic.jpg.txt")));
    EXPECT_TRUE(fs::exists(NarrowPath("results/TaviOCR/pic1.jpg.txt")));
    EXPECT_LT(run.out.find("pic.jpg"), run.out.find("pic1.jpg")) << run.out;

    // A scanner that stops with a jam or an open cover says so, and the run fails.
    for (const auto& [status, message] :
         {std::pair{"SANE_STATUS_JAMMED", "The paper is jammed in the scanner."},
          std::pair{"SANE_STATUS_COVER_OPEN", "The scanner's cover is open."}}) {
        UseTestScanner(NarrowPath("sane"), status);
        const Run stopped = Cli("--scan --device test:0");
        EXPECT_EQ(stopped.status, 1) << status;
        EXPECT_NE(stopped.err.find(message), std::string::npos) << stopped.err;
        EXPECT_EQ(stopped.out, "");
    }

    UseNoScanner(NarrowPath("sane"));
    const Run none = Cli("--scan");
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("The scanner is not ready"), std::string::npos)
        << "no scanner connected: " << none.err;
    ForgetTestScanner();
}

// Codes on a picture of text are lines of their own before the text the
// service read, in reading order, and in the JSON with their corners; a long
// number printed as text is no barcode.
TEST_F(CliTest, BarcodesAreShownBeforeTheTextNeverInsteadOfIt) {
    const std::string url = "https://taviocr.example/order?id=7";
    ASSERT_EQ(
        std::system(("qrencode -s 5 -m 2 -o '" + NarrowPath("qr.png") + "' '" + url + "'").c_str()),
        0);
    const QImage qr(QString::fromStdString(NarrowPath("qr.png")));
    ASSERT_FALSE(qr.isNull());
    const std::string digits = "4006381333931";
    const ZXing::BitMatrix ean = ZXing::MultiFormatWriter(ZXing::BarcodeFormat::EAN13)
                                     .setMargin(10)
                                     .encode(digits, 300, 120);
    QImage picture(qr.width() + ean.width() + 60, 360, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int y = 0; y < qr.height(); ++y)
        for (int x = 0; x < qr.width(); ++x) picture.setPixel(20 + x, 20 + y, qr.pixel(x, y));
    for (int y = 0; y < ean.height(); ++y)
        for (int x = 0; x < ean.width(); ++x)
            if (ean.get(x, y)) picture.setPixel(qr.width() + 40 + x, 40 + y, qRgb(0, 0, 0));
    ASSERT_TRUE(picture.save(QString::fromStdString(NarrowPath("codes.png"))));

    const Run run = Cli("codes.png");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("QR: " + url + "\nEAN-13: " + digits + "\nHello TaviOCR\n", 0), 0u)
        << run.out;

    const Run json = Cli("--json codes.png");
    Json::Value records;
    ASSERT_TRUE(Json::Reader().parse(json.out, records)) << json.out;
    const Json::Value& barcodes = records[0]["barcodes"];
    ASSERT_EQ(barcodes.size(), 2u) << json.out;
    EXPECT_EQ(barcodes[0]["format"].asString(), "QR");
    EXPECT_EQ(barcodes[0]["text"].asString(), url);
    ASSERT_EQ(barcodes[0]["position"].size(), 4u);
    for (const Json::Value& corner : barcodes[0]["position"]) {
        EXPECT_GE(corner[0].asInt(), 20);
        EXPECT_LE(corner[0].asInt(), 20 + qr.width());
        EXPECT_GE(corner[1].asInt(), 20);
        EXPECT_LE(corner[1].asInt(), 20 + qr.height());
    }
    EXPECT_EQ(barcodes[1]["text"].asString(), digits);

    ASSERT_TRUE(RenderLines(NarrowPath("number.png"), {{"Order 40063813339310", 28}}));
    const Run number = Cli("--json number.png");
    ASSERT_TRUE(Json::Reader().parse(number.out, records)) << number.out;
    EXPECT_EQ(records[0]["barcodes"].size(), 0u) << number.out;
}
