// The engine program's own failures, and the engine inside the recognition
// job and the command line.

#include <gtest/gtest.h>

#include <QImage>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "app/process_globals.h"
#include "app/settings.h"
#include "engine/engine_languages.h"
#include "engine/tesseract_reader.h"
#include "engine_fixture.h"
#include "offline/offline_engine.h"
#include "platform/private_clipboard.h"
#include "platform/processes.h"
#include "recognition/recognition_job.h"
#include "support/child_process.h"
#include "support/command_output.h"
#include "support/test_certificates.h"

namespace fs = std::filesystem;

namespace {

int RunEngine(const std::string& bitmap) {
    auto engine =
        ChildProcess::Start({std::string(TAVIOCR_OUT_DIR) + "/recognition/TWYZY32.dll", bitmap});
    if (!engine || !engine->WaitFor(std::chrono::seconds(30))) return -1;
    return engine->ExitCode();
}

bool AnyEngineRunning() { return AnyProcessNamed("TWYZY32.dll"); }

bool PrivateTextLeft() {
    PrivateClipboard clipboard;
    return clipboard.GetData(RegisterClipboardFormat(L"THOCR_FMT")).has_value();
}

}  // namespace

TEST_F(EngineTest, FailuresExitNonZeroAndLeaveNothing) {
    WriteBytes(Path("garbage.bmp"), "BM this is not a bitmap");
    EXPECT_EQ(RunEngine(NarrowPath("garbage.bmp")), 4);
    EXPECT_EQ(RunEngine(NarrowPath("missing.bmp")), 4);
    QImage blank(300, 100, QImage::Format_RGB32);
    blank.fill(Qt::white);
    ASSERT_TRUE(blank.save(QString::fromStdString(NarrowPath("blank.png"))));
    EXPECT_EQ(RunEngine(NarrowPath("blank.png")), 2);  // no text is a failure too
    fs::create_directories(NarrowPath("no-models"));
    ::setenv("TESSDATA_PREFIX", NarrowPath("no-models").c_str(), 1);
    EXPECT_EQ(RunEngine(NarrowPath("blank.png")), 3);
    ::unsetenv("TESSDATA_PREFIX");
    EXPECT_FALSE(PrivateTextLeft());
    EXPECT_EQ(RunEngine(""), 4);
}

// A language whose model is not installed is named by its package, and the
// command line says how to install it; nothing is sent anywhere instead.
TEST_F(EngineTest, AMissingModelIsNamedByItsPackage) {
    fs::create_directories(NarrowPath("english-only"));
    fs::create_symlink(FindTessdataFolder() + "/eng.traineddata",
                       NarrowPath("english-only/eng.traineddata"));
    ASSERT_TRUE(RenderParagraph(NarrowPath("text.png"), "Bonjour tout le monde", 24, 600));
    ::setenv("TESSDATA_PREFIX", NarrowPath("english-only").c_str(), 1);
    OfflineEngine french({"FRE", std::chrono::milliseconds(0)});
    std::wstring text;
    EXPECT_FALSE(french.Recognize(Path("text.png"), text));
    EXPECT_EQ(french.MissingModelPackage(), L"tesseract-ocr-fra");
    OfflineEngine chinese({"CHN_ENG", std::chrono::milliseconds(0)});
    EXPECT_FALSE(chinese.Recognize(Path("text.png"), text));
    EXPECT_EQ(chinese.MissingModelPackage(), L"tesseract-ocr-chi-sim");

    const CommandRun run =
        RunCommand(std::string(TAVIOCR_OUT_DIR) + "/taviocr-cli --engine offline --lang fre '" +
                   NarrowPath("text.png") + "' 2>&1");
    ::unsetenv("TESSDATA_PREFIX");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("sudo apt-get install tesseract-ocr-fra"), std::string::npos) << run.out;
    EXPECT_TRUE(cloud_->Requests().empty());
}

// How long it takes belongs to the benchmarks; here: the attempt ends, leaves
// no engine running and no 100-megabyte bitmap behind.
TEST_F(EngineTest, AHugePictureIsAnsweredOrGivenUpAndLeavesNothingBehind) {
    QImage huge(10000, 10000, QImage::Format_RGB32);
    huge.fill(Qt::white);
    ASSERT_TRUE(huge.save(QString::fromStdString(NarrowPath("huge.png"))));
    Read("huge.png");
    EXPECT_FALSE(AnyEngineRunning());
    EXPECT_FALSE(fs::exists(WideToUtf8(Globals().AppFolder + L"/tmp.bmp")));
}

TEST_F(EngineTest, TheJobUsesTheEngineAndFallsBackToTheCloud) {
    GlobalSettings().UseHighQuality = 0;
    ASSERT_TRUE(RenderParagraph(NarrowPath("text.png"), "Offline recognition works.", 24, 700));
    QImage blank(300, 100, QImage::Format_RGB32);
    blank.fill(Qt::white);
    ASSERT_TRUE(blank.save(QString::fromStdString(NarrowPath("blank.png"))));
    RecordingWindow window;
    RecognitionJob job;
    job.SetNotifyWindow(&window);
    job.SetMessageDisplay(&messages_);
    job.SetOfflineEngineFactory(
        [](const LocalEngineOptions& options) { return std::make_unique<OfflineEngine>(options); });
    ASSERT_TRUE(job.OfflineEngineAvailable());
    ASSERT_TRUE(job.Start({{Path("text.png"), Path("blank.png")}, KindCode::TextOfflineFirst}));
    job.Wait();
    ASSERT_EQ(window.messages.size(), 2u);
    EXPECT_EQ(window.messages[0].result.textLines,
              std::vector<std::wstring>{L"Offline recognition works."});
    // The blank picture has no text for the engine, so the cloud was asked.
    EXPECT_EQ(cloud_->CountRequests("/rest/2.0/ocr/v1/general_basic"), 1);
    EXPECT_EQ(window.messages[1].result.textLines.front(), L"Hello TaviOCR");
    EXPECT_FALSE(AnyEngineRunning());
}

TEST_F(EngineTest, TwoCommandLinesReadingAtOnceEachGetTheirOwnText) {
    ASSERT_TRUE(RenderParagraph(NarrowPath("first.png"), "The first client reads this.", 24, 700));
    ASSERT_TRUE(RenderParagraph(NarrowPath("second.png"), "Another text for the second.", 24, 700));
    // The cloud is where a collision would send a text: it must not be asked.
    std::ofstream(NarrowPath("endpoints.ini"))
        << "[Hosts]\nOcr=" << cloud_->BaseUrl() << "\n[TLS]\nCABundle=" << Certificates().caFile;
    ::setenv("TAVIOCR_ENDPOINTS", NarrowPath("endpoints.ini").c_str(), 1);
    const auto start = [](const std::string& image) {
        return ::popen(
            (std::string(TAVIOCR_OUT_DIR) + "/taviocr-cli --engine offline '" + image + "'")
                .c_str(),
            "r");
    };
    FILE* first = start(NarrowPath("first.png"));
    FILE* second = start(NarrowPath("second.png"));
    ASSERT_TRUE(first && second);
    const auto output = [](FILE* pipe) {
        std::string out;
        char buffer[4096];
        while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
        return std::make_pair(::pclose(pipe), out);
    };
    const auto [firstStatus, firstText] = output(first);
    const auto [secondStatus, secondText] = output(second);
    ::unsetenv("TAVIOCR_ENDPOINTS");
    EXPECT_EQ(firstStatus, 0);
    EXPECT_EQ(secondStatus, 0);
    EXPECT_EQ(firstText.rfind("The first client reads this.\n", 0), 0u) << firstText;
    EXPECT_EQ(secondText.rfind("Another text for the second.\n", 0), 0u) << secondText;
    EXPECT_TRUE(cloud_->Requests().empty());
    EXPECT_FALSE(AnyEngineRunning());
}

TEST_F(EngineTest, TextInTheAlphaChannelIsRead) {
    ASSERT_TRUE(RenderParagraph(NarrowPath("drawn.png"), "Transparent background", 28, 600));
    // Black everywhere, the text only in the alpha channel, as many drawing
    // programs save a text layer.
    const QImage drawn(QString::fromStdString(NarrowPath("drawn.png")));
    QImage layer(drawn.size(), QImage::Format_ARGB32);
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            layer.setPixel(x, y, qRgba(0, 0, 0, 255 - qGray(drawn.pixel(x, y))));
    ASSERT_TRUE(layer.save(QString::fromStdString(NarrowPath("layer.png"))));
    EXPECT_EQ(Read("layer.png"), L"Transparent background");
}
