#include "platform/ini_document.h"

#include <gtest/gtest.h>

#include "platform/text.h"

TEST(IniDocument, NamesCompareWithoutCaseAndBlanksAreTrimmed) {
    const auto doc = IniDocument::Parse(L"[General]\r\n  HotKey =  7536640 \r\n");
    EXPECT_EQ(doc.Get(L"general", L"hotkey"), L"7536640");
    EXPECT_EQ(doc.Get(L"GENERAL", L"HOTKEY"), L"7536640");
    EXPECT_FALSE(doc.Get(L"General", L"Other"));
    EXPECT_FALSE(doc.Get(L"Main", L"HotKey"));
}

TEST(IniDocument, FirstSectionAndFirstKeyWin) {
    const auto doc = IniDocument::Parse(L"[General]\nA=1\nA=2\n[Main]\nB=x\n[general]\nA=3\nC=4\n");
    EXPECT_EQ(doc.Get(L"General", L"A"), L"1");
    // A key only in the second section of the same name is not seen.
    EXPECT_FALSE(doc.Get(L"General", L"C"));
    EXPECT_EQ(doc.Keys(L"General"), (std::vector<std::wstring>{L"A"}));
}

TEST(IniDocument, ValueIsEverythingAfterTheFirstEquals) {
    const auto doc = IniDocument::Parse(L"[S]\nk=a=b\nempty=\n");
    EXPECT_EQ(doc.Get(L"S", L"k"), L"a=b");
    EXPECT_EQ(doc.Get(L"S", L"empty"), L"");
}

TEST(IniDocument, EditsKeepEveryOtherLineAsItStood) {
    auto doc =
        IniDocument::Parse(L"; comment\r\n[General]\r\nA = 1\r\nodd line\r\n\r\n[Main]\r\nB=2\r\n");
    doc.Set(L"general", L"A", L"5");
    doc.Set(L"General", L"New", L"x");
    doc.Set(L"Setting", L"LCID", L"1033");
    EXPECT_EQ(doc.Serialize(),
              L"; comment\r\n[General]\r\nA=5\r\nodd line\r\nNew=x\r\n\r\n[Main]\r\nB=2\r\n"
              L"[Setting]\r\nLCID=1033\r\n");
    EXPECT_TRUE(doc.Remove(L"main", L"b"));
    EXPECT_FALSE(doc.Remove(L"Main", L"B"));
    EXPECT_FALSE(doc.Get(L"Main", L"B"));
    EXPECT_TRUE(doc.HasSection(L"Main"));
}

TEST(IniDocument, KeysListsEachNameOnceInFileOrder) {
    const auto doc = IniDocument::Parse(L"[S]\nb=1\na=2\nB=3\nnot a key\n[T]\nc=1\n");
    EXPECT_EQ(doc.Keys(L"s"), (std::vector<std::wstring>{L"b", L"a"}));
    EXPECT_TRUE(doc.Keys(L"missing").empty());
}

TEST(IniDocumentBytes, ReadsEveryEncodingItMayMeet) {
    const std::wstring text = L"[General]\r\nSavePath=C:/Ergebnisse/Größe\r\n";
    const std::wstring expected = L"C:/Ergebnisse/Größe";
    const std::string utf16 = EncodeUtf16Le(text);
    EXPECT_EQ(IniDocument::FromFileBytes("\xFF\xFE" + utf16).Get(L"General", L"SavePath"),
              expected);
    EXPECT_EQ(IniDocument::FromFileBytes(utf16).Get(L"General", L"SavePath"), expected);
    EXPECT_EQ(IniDocument::FromFileBytes(WideToUtf8(text)).Get(L"General", L"SavePath"), expected);
    EXPECT_EQ(
        IniDocument::FromFileBytes("\xEF\xBB\xBF" + WideToUtf8(text)).Get(L"General", L"SavePath"),
        expected);
    std::string bigEndian = utf16;
    for (size_t i = 0; i + 1 < bigEndian.size(); i += 2) std::swap(bigEndian[i], bigEndian[i + 1]);
    EXPECT_EQ(IniDocument::FromFileBytes("\xFE\xFF" + bigEndian).Get(L"General", L"SavePath"),
              expected);
}

TEST(IniDocumentBytes, SurvivesTruncationGarbageAndHugeLines) {
    const std::string utf16 = "\xFF\xFE" + EncodeUtf16Le(L"[General]\r\nA=1\r\nB=22");
    // Cut in the middle of the last character.
    const auto truncated = IniDocument::FromFileBytes(utf16.substr(0, utf16.size() - 1));
    EXPECT_EQ(truncated.Get(L"General", L"A"), L"1");
    EXPECT_EQ(truncated.Get(L"General", L"B"), L"2");

    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 7919) & 0xFF);
    const auto junk = IniDocument::FromFileBytes(garbage);
    EXPECT_FALSE(junk.Get(L"General", L"A"));

    const std::wstring huge(100 * 1024, L'x');
    const auto big = IniDocument::Parse(L"[S]\nlong=" + huge + L"\nafter=1\n");
    EXPECT_EQ(big.Get(L"S", L"long")->size(), huge.size());
    EXPECT_EQ(big.Get(L"S", L"after"), L"1");
}

TEST(IniDocumentBytes, WritesUtf16LeWithByteOrderMark) {
    auto doc = IniDocument::Parse(L"");
    doc.Set(L"General", L"Name", L"中");
    EXPECT_EQ(doc.ToFileBytes(), "\xFF\xFE" + EncodeUtf16Le(L"[General]\r\nName=中\r\n"));
}

TEST(ProfileInt, ParsesLikeGetPrivateProfileInt) {
    EXPECT_EQ(ParseProfileInt(L"4096"), 4096);
    EXPECT_EQ(ParseProfileInt(L"  12abc"), 12);
    EXPECT_EQ(ParseProfileInt(L"abc"), 0);
    EXPECT_EQ(ParseProfileInt(L"-1"), -1);
    EXPECT_EQ(ParseProfileInt(L"+7"), 7);
    EXPECT_EQ(ParseProfileInt(L"0x10"), 0);
    EXPECT_EQ(ParseProfileInt(L"4294967295"), -1);  // wraps at 32 bits
    EXPECT_EQ(ParseProfileInt(L"4294967297"), 1);
}
