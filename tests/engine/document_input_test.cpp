// Documents given to the command line: a PDF made here (two scanned pages and
// one with its own text layer), a multi-page TIFF, and PDFs that cannot be
// read. Each page is a picture of the batch, in page order, read by the real
// offline engine.

#include <gtest/gtest.h>
#include <json/json.h>

#include <QPainter>
#include <QPdfWriter>
#include <filesystem>

#include "engine_fixture.h"
#include "platform/file_io.h"
#include "support/command_output.h"
#include "support/qt_application.h"

namespace fs = std::filesystem;

namespace {

const char* const kPages[] = {"The first page was scanned on Monday.",
                              "The second page carries its own text.",
                              "The third page was scanned as well."};

}  // namespace

class DocumentInputTest : public EngineTest {
protected:
    CommandRun Cli(const std::string& args) {
        return RunCommand("cd '" + NarrowPath("") + "' && '" + TAVIOCR_OUT_DIR +
                          "/taviocr-cli' --engine offline --lang ENG " + args + " 2>&1");
    }

    // Pages 1 and 3 are pictures of text; page 2 is text.
    void MakePdf(const std::string& name) {
        EnsureQtApplication();
        QPdfWriter pdf(QString::fromStdString(NarrowPath(name)));
        pdf.setResolution(300);
        QPainter painter(&pdf);
        for (int page = 0; page < 3; ++page) {
            if (page > 0) pdf.newPage();
            if (page == 1) {
                QFont font(QStringLiteral("DejaVu Sans"));
                font.setPointSize(14);
                painter.setFont(font);
                painter.drawText(QPointF(150, 300), QString::fromUtf8(kPages[page]));
                continue;
            }
            const std::string scan = "scan" + std::to_string(page) + ".png";
            ASSERT_TRUE(RenderParagraph(NarrowPath(scan), kPages[page], 56, 2000));
            painter.drawImage(QPointF(150, 150), QImage(QString::fromStdString(NarrowPath(scan))));
        }
    }
};

TEST_F(DocumentInputTest, APdfIsReadPageByPageWithItsTextLayerTakenAsItIs) {
    MakePdf("report.pdf");
    const CommandRun json = Cli("--json report.pdf");
    ASSERT_EQ(json.status, 0) << json.out;
    Json::Value records;
    ASSERT_TRUE(Json::Reader().parse(json.out, records)) << json.out;
    ASSERT_EQ(records.size(), 3u);
    for (int page = 0; page < 3; ++page) {
        const Json::Value& record = records[page];
        EXPECT_EQ(record["image"].asString(),
                  NarrowPath("report.pdf") + " – page " + std::to_string(page + 1));
        EXPECT_GE(
            CharacterAccuracy(Utf8ToWide(kPages[page]), Utf8ToWide(record["text"].asString())),
            0.95)
            << record["text"].asString();
        EXPECT_EQ(record["source"].asString(), page == 1 ? "pdf-text" : "") << page;
    }
    EXPECT_EQ(records[1]["text"].asString(), std::string(kPages[1]) + "\r\n");

    // Saved as a batch: one file per page, named after the document.
    ASSERT_EQ(Cli("--out results report.pdf").status, 0);
    const fs::path results = NarrowPath("results");
    ASSERT_EQ(std::distance(fs::directory_iterator(results), fs::directory_iterator()), 1);
    const fs::path folder = fs::directory_iterator(results)->path();
    for (int page = 1; page <= 3; ++page)
        EXPECT_TRUE(fs::exists(folder / ("report.pdf_p" + std::to_string(page) + ".txt"))) << page;
    // The drawn pages went with the run.
    EXPECT_FALSE(fs::exists(NarrowPath("tmp/taviOCR")) &&
                 std::distance(fs::recursive_directory_iterator(NarrowPath("tmp/taviOCR")),
                               fs::recursive_directory_iterator()) > 2);
}

TEST_F(DocumentInputTest, AMultiPageTiffIsReadPageByPage) {
    ASSERT_TRUE(RenderParagraph(NarrowPath("a.png"), kPages[0], 28, 900));
    ASSERT_TRUE(RenderParagraph(NarrowPath("b.png"), kPages[2], 28, 900));
    ASSERT_EQ(std::system(("convert '" + NarrowPath("a.png") + "' '" + NarrowPath("b.png") + "' '" +
                           NarrowPath("pages.tif") + "'")
                              .c_str()),
              0);
    const CommandRun run = Cli("pages.tif");
    ASSERT_EQ(run.status, 0) << run.out;
    const size_t first = run.out.find(kPages[0]), second = run.out.find(kPages[2]);
    EXPECT_NE(first, std::string::npos) << run.out;
    EXPECT_NE(second, std::string::npos) << run.out;
    EXPECT_LT(first, second);
    EXPECT_NE(run.out.find("pages.tif – page 2"), std::string::npos) << run.out;
}

// A protected, a damaged and an empty PDF are each named with what is wrong;
// the pictures beside them are still read.
TEST_F(DocumentInputTest, DocumentsThatCannotBeReadAreNamedAndTheRestIsRead) {
    MakePdf("open.pdf");
    ASSERT_EQ(std::system(("qpdf --encrypt secret secret 256 -- '" + NarrowPath("open.pdf") +
                           "' '" + NarrowPath("locked.pdf") + "'")
                              .c_str()),
              0);
    WriteBytes(Path("damaged.pdf"), "%PDF-1.7\nnothing else\n");
    ASSERT_TRUE(RenderParagraph(NarrowPath("note.png"), kPages[0], 28, 900));
    const CommandRun run = Cli("locked.pdf damaged.pdf note.png");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("locked.pdf” is protected by a password"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("damaged.pdf” is damaged"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(kPages[0]), std::string::npos) << run.out;
}

// The searchable PDF gives back the recognised text, spaces between words
// included, and every word where the picture shows it.
TEST_F(DocumentInputTest, ASearchablePdfHoldsTheTextWhereTheWordsAre) {
    const std::string paragraph =
        "Searchable documents keep their words where the picture shows them, "
        "so a reader can find, select and copy the office figures.";
    ASSERT_TRUE(RenderParagraph(NarrowPath("page.png"), paragraph, 30, 900));
    const CommandRun run = Cli("--pdf out.pdf page.png");
    ASSERT_EQ(run.status, 0) << run.out;
    const auto normal = [](const std::string& text) {
        std::string out;
        for (char c : text) {
            const bool space = c == ' ' || c == '\n' || c == '\r' || c == '\f';
            if (space && (out.empty() || out.back() == ' ')) continue;
            out += space ? ' ' : c;
        }
        while (!out.empty() && out.back() == ' ') out.pop_back();
        return out;
    };
    const auto pdftotext = [&](const std::string& options) {
        return RunCommand("pdftotext " + options + " '" + NarrowPath("out.pdf") + "' -").out;
    };
    EXPECT_EQ(normal(pdftotext("")), normal(run.out));
    EXPECT_GE(CharacterAccuracy(Utf8ToWide(paragraph), Utf8ToWide(pdftotext(""))), 0.97);

    // Word boxes, in points; the picture has no resolution of its own, so a
    // point is 96/72 of its pixels.
    const QImage picture(QString::fromStdString(NarrowPath("page.png")));
    const std::string boxes = pdftotext("-bbox");
    int words = 0;
    for (size_t at = boxes.find("<word "); at != std::string::npos;
         at = boxes.find("<word ", at + 1)) {
        double xMin, yMin, xMax, yMax;
        ASSERT_EQ(std::sscanf(boxes.c_str() + at,
                              "<word xMin=\"%lf\" yMin=\"%lf\" xMax=\"%lf\" yMax=\"%lf\"", &xMin,
                              &yMin, &xMax, &yMax),
                  4);
        const double scale = 96.0 / 72.0;
        int dark = 0, all = 0;
        for (int y = static_cast<int>(yMin * scale); y < static_cast<int>(yMax * scale); ++y)
            for (int x = static_cast<int>(xMin * scale); x < static_cast<int>(xMax * scale);
                 ++x, ++all)
                dark += picture.valid(x, y) && qGray(picture.pixel(x, y)) < 128;
        EXPECT_GT(dark, all / 12) << boxes.substr(at, 120);
        ++words;
    }
    EXPECT_GE(words, 20);
}

// A page scanned sideways and turned upright by the PDF's own rotation is
// read upright, and its words lie on it upright in the searchable PDF.
TEST_F(DocumentInputTest, ARotatedPageIsReadAndLaidOutAsItIsShown) {
    EnsureQtApplication();
    ASSERT_TRUE(RenderParagraph(NarrowPath("scan.png"), kPages[0], 56, 2000));
    const QImage scan(QString::fromStdString(NarrowPath("scan.png")));
    {
        QPdfWriter pdf(QString::fromStdString(NarrowPath("sideways.pdf")));
        pdf.setResolution(300);
        QPainter painter(&pdf);
        // Drawn a quarter turn anticlockwise, as a scanner fed sideways would.
        painter.translate(150, 150 + scan.width());
        painter.rotate(-90);
        painter.drawImage(QPointF(0, 0), scan);
    }
    ASSERT_EQ(std::system(("qpdf --rotate=+90:1 '" + NarrowPath("sideways.pdf") + "' '" +
                           NarrowPath("upright.pdf") + "'")
                              .c_str()),
              0);
    const CommandRun run = Cli("--pdf out.pdf upright.pdf");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_GE(CharacterAccuracy(Utf8ToWide(kPages[0]), Utf8ToWide(run.out)), 0.95) << run.out;
    const std::string boxes = RunCommand("pdftotext -bbox '" + NarrowPath("out.pdf") + "' -").out;
    // The first word, "The", stands near the top left of the upright page.
    const size_t at = boxes.find("<word ");
    ASSERT_NE(at, std::string::npos) << boxes;
    double xMin, yMin, xMax, yMax;
    ASSERT_EQ(
        std::sscanf(boxes.c_str() + at, "<word xMin=\"%lf\" yMin=\"%lf\" xMax=\"%lf\" yMax=\"%lf\"",
                    &xMin, &yMin, &xMax, &yMax),
        4);
    EXPECT_NE(boxes.find(">The</word>"), std::string::npos) << boxes.substr(0, 400);
    EXPECT_LT(xMax - xMin, 3 * (yMax - yMin));  // a word across the line, not down the page
}
