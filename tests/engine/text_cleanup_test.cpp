#include "engine/text_cleanup.h"

#include <gtest/gtest.h>

TEST(TextCleanup, ChineseSpacingLineEndsAndParagraphs) {
    EXPECT_EQ(CleanRecognizedText(L"今天 天 气 很 好 ， 我们"), L"今天天气很好，我们");
    // Spaces between Chinese and Latin text stay.
    EXPECT_EQ(CleanRecognizedText(L"版本 2.0 发布"), L"版本 2.0 发布");
    EXPECT_EQ(CleanRecognizedText(L"\n\nfirst  \nsecond\n\n\n\nthird\n\f"),
              L"first\r\nsecond\r\n\r\nthird");
    EXPECT_EQ(CleanRecognizedText(L"   \n\n"), L"");
}
