// How well the engine reads rendered text through the bridge. The figures are
// printed, so that a change to the preparation can be judged by them.

#include <gtest/gtest.h>

#include <QImage>
#include <iostream>

#include "engine_fixture.h"

namespace {

const char* const kParagraph =
    "The quick brown fox jumps over the lazy dog. Pack my box with five dozen liquor jugs. "
    "Small screen text is the hardest case for recognition, so every size from nine to "
    "thirty-two pixels is checked: 1234567890.";

}  // namespace

TEST_F(EngineTest, EnglishParagraphsFromNineToThirtyTwoPixels) {
    for (int pixels : {9, 12, 16, 24, 32}) {
        const std::string name = "en" + std::to_string(pixels) + ".png";
        ASSERT_TRUE(RenderParagraph(NarrowPath(name), kParagraph, pixels, 60 * pixels));
        const double accuracy = CharacterAccuracy(Utf8ToWide(kParagraph), Read(name));
        std::cout << pixels << " px: " << accuracy * 100 << " %\n";
        EXPECT_GE(accuracy, 0.98) << pixels << " px";
    }
}

TEST_F(EngineTest, AChineseLine) {
    const std::string line = "今天天气很好，我们一起去公园散步吧。识别结果会显示在这里。";
    ASSERT_TRUE(
        RenderLines(NarrowPath("zh.png"), {{line, 28, "Noto-Sans-CJK-SC"}}, "black", "white"));
    const std::wstring text = Read("zh.png");
    const double accuracy = CharacterAccuracy(Utf8ToWide(line), text, true);
    std::cout << "Chinese: " << accuracy * 100 << " % (" << WideToUtf8(text) << ")\n";
    EXPECT_GE(accuracy, 0.90);
}

TEST_F(EngineTest, ScreenshotTextDarkOnLightAndLightOnDark) {
    const std::vector<TextLine> lines = ScreenshotLines(6);
    std::wstring expected;
    for (const TextLine& line : lines) expected += Utf8ToWide(line.text) + L"\n";
    for (const auto& [fg, bg] :
         {std::pair{"#202020", "#f3f3f3"}, std::pair{"#e8e8e8", "#1e1e1e"}}) {
        ASSERT_TRUE(RenderLines(NarrowPath("ui.png"), lines, fg, bg, 800, 0));
        const double accuracy = CharacterAccuracy(expected, Read("ui.png"));
        std::cout << fg << " on " << bg << ": " << accuracy * 100 << " %\n";
        EXPECT_GE(accuracy, 0.98) << fg << " on " << bg;
    }
}

// The French model reads accents; the lines come back where the text is, with
// their words, each line below the last and inside the picture.
TEST_F(EngineTest, FrenchAccentsWithTheirLinesAndWords) {
    const std::string paragraph =
        "Le comité a approuvé le procès-verbal à Noël. Où est la forêt ? "
        "Ça coûte douze euros, dit l'élève.";
    ASSERT_TRUE(RenderParagraph(NarrowPath("fr.png"), paragraph, 26, 520, "DejaVu-Serif"));
    OfflineEngine engine({"FRE", std::chrono::milliseconds(0)});
    std::wstring text;
    ASSERT_TRUE(engine.Recognize(Path("fr.png"), text));
    std::cout << "French: " << WideToUtf8(text) << "\n";
    EXPECT_GE(CharacterAccuracy(Utf8ToWide(paragraph), text), 0.98);
    for (const wchar_t* word : {L"comité", L"procès-verbal", L"Noël", L"forêt", L"Ça", L"coûte"})
        EXPECT_NE(text.find(word), std::wstring::npos) << WideToUtf8(word);

    const QImage picture(QString::fromStdString(NarrowPath("fr.png")));
    const std::vector<EngineLine> lines = engine.Lines();
    ASSERT_GE(lines.size(), 3u);
    int lastTop = -1;
    for (const EngineLine& line : lines) {
        EXPECT_GT(line.top, lastTop);
        lastTop = line.top;
        EXPECT_GE(line.left, 0);
        EXPECT_LE(line.left + line.width, picture.width());
        EXPECT_LE(line.top + line.height, picture.height());
        EXPECT_GT(line.confidence, 50);
        std::wstring joined;
        for (const EngineWord& word : line.words)
            joined += (joined.empty() ? L"" : L" ") + word.text;
        EXPECT_EQ(joined, line.text);
        // Every word's box has ink in it: it lies on its word.
        for (const EngineWord& word : line.words) {
            int dark = 0;
            for (int y = word.top; y < word.top + word.height; ++y)
                for (int x = word.left; x < word.left + word.width; ++x)
                    dark += qGray(picture.pixel(x, y)) < 128;
            EXPECT_GT(dark, word.width * word.height / 20) << WideToUtf8(word.text);
        }
    }
}
