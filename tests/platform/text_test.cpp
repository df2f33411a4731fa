#include "platform/text.h"

#include <gtest/gtest.h>

TEST(Utf8Conversion, RoundTripsEveryPlane) {
    const std::wstring text = L"abc é 中文 \U0001F600 \u20AC";
    EXPECT_EQ(Utf8ToWide(WideToUtf8(text)), text);
    EXPECT_EQ(WideToUtf8(L"\u4E2D"), "\xE4\xB8\xAD");
}

TEST(Utf8Conversion, MalformedBytesBecomeReplacementCharacters) {
    // A stray continuation byte, a truncated sequence, an overlong form and an
    // encoded surrogate: each offending byte is one U+FFFD, the rest survives.
    EXPECT_EQ(Utf8ToWide("a\x80"
                         "b"),
              L"a\uFFFDb");
    EXPECT_EQ(Utf8ToWide("a\xE4\xB8"), L"a\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToWide("\xC0\xAF"), L"\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToWide("\xED\xA0\x80x"), L"\uFFFD\uFFFD\uFFFDx");
    EXPECT_EQ(Utf8ToWide(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
}

TEST(Utf8Conversion, UnencodableWideValuesBecomeReplacement) {
    std::wstring bad;
    bad += static_cast<wchar_t>(0xD800);
    bad += static_cast<wchar_t>(0x110000);
    EXPECT_EQ(WideToUtf8(bad), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(Utf16Le, EncodesSurrogatePairsAndDecodesThemBack) {
    const std::wstring text = L"A\U0001F600";
    const std::string bytes = EncodeUtf16Le(text);
    EXPECT_EQ(bytes, std::string("A\0\x3D\xD8\x00\xDE", 6));
    EXPECT_EQ(DecodeUtf16Le(bytes), text);
}

TEST(Utf16Le, ToleratesTruncationAndLoneSurrogates) {
    // A file cut in the middle of a character: the odd byte is dropped.
    EXPECT_EQ(DecodeUtf16Le(std::string("A\0B", 3)), L"A");
    // A high surrogate without its partner, at the end and before a letter.
    EXPECT_EQ(DecodeUtf16Le(std::string("\x3D\xD8", 2)), L"\uFFFD");
    EXPECT_EQ(DecodeUtf16Le(std::string("\x3D\xD8"
                                        "A\0",
                                        4)),
              L"\uFFFDA");
    EXPECT_EQ(DecodeUtf16Le(std::string("\x00\xDE", 2)), L"\uFFFD");
}

TEST(AnsiConversion, UsesTheGivenCharset) {
    EXPECT_EQ(AnsiToWide("caf\xE9", "ISO-8859-1"), L"café");
    EXPECT_EQ(WideToAnsi(L"café", "ISO-8859-1"), "caf\xE9");
    EXPECT_EQ(WideToAnsi(L"中文", "GB18030"), "\xD6\xD0\xCE\xC4");
    EXPECT_EQ(AnsiToWide("\xD6\xD0\xCE\xC4", "GB18030"), L"中文");
}

TEST(AnsiConversion, UnrepresentableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(WideToAnsi(L"a中b", "ISO-8859-1"), "a?b");
    // An incomplete multi-byte sequence at the end does not loop or vanish silently.
    EXPECT_EQ(AnsiToWide("a\xD6", "GB18030"), L"a\uFFFD");
}

TEST(AnsiConversion, PlainCLocaleIsTreatedAsUtf8) {
    EXPECT_EQ(AnsiToWide("\xE4\xB8\xAD", "ANSI_X3.4-1968"), L"中");
    EXPECT_EQ(WideToAnsi(L"中", "ANSI_X3.4-1968"), "\xE4\xB8\xAD");
}

TEST(NameComparison, IgnoresCase) {
    EXPECT_TRUE(EqualsNoCase(L"General", L"GENERAL"));
    EXPECT_FALSE(EqualsNoCase(L"General", L"Genera"));
    EXPECT_EQ(ToLowerAscii(L"TWYZY32.DLL"), L"twyzy32.dll");
}
