// How well the engine reads rendered text through the bridge. The figures are
// printed, so that a change to the preparation can be judged by them.

#include <gtest/gtest.h>

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
