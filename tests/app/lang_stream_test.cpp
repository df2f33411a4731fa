#include "app/lang_stream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/text.h"

namespace {

// A literal with embedded zero units, whole.
template <std::size_t N>
std::wstring W(const wchar_t (&text)[N]) {
    return std::wstring(text, N - 1);
}

std::string Units(const std::wstring& text) { return EncodeUtf16Le(text); }

// The stored form of raw text, scrambled by the routine under test.
std::string Stored(const std::wstring& text) {
    std::string bytes = Units(text);
    ScrambleLangStream(bytes);
    return bytes;
}

}  // namespace

TEST(LangScramble, OnlyLowHalvesOfWordsBeforeTheLastAreChanged) {
    // "k=" and the ending empty entry: 8 bytes, so only the first word changes.
    const std::string stored = EncodeLangStream({{L"k", L""}});
    ASSERT_EQ(stored.size(), 8u);
    EXPECT_EQ(stored, std::string("\x30\x5B\x3D\x00\x00\x00\x00\x00", 8));
    EXPECT_EQ(LookupLangStream(stored, L"k"), L"");

    // Ten bytes: both whole words change, the trailing unit does not.
    std::string ten = Units(L"abcde");
    ScrambleLangStream(ten);
    EXPECT_EQ(ten, std::string("\x3A\x5B\x62\x00\x38\x5B\x64\x00\x65\x00", 10));
    // Applying it twice gives the original back.
    ScrambleLangStream(ten);
    EXPECT_EQ(ten, Units(L"abcde"));
}

TEST(LangStream, EntriesFollowTheFileRules) {
    const std::string stored = Stored(W(L"no equals here\0A=1\0=\0B=x=y\0A=2\0C=\0\0D=after\0"));
    EXPECT_EQ(LookupLangStream(stored, L"A"), L"1");    // first match wins
    EXPECT_EQ(LookupLangStream(stored, L"B"), L"x=y");  // value after the first "="
    EXPECT_EQ(LookupLangStream(stored, L"C"), L"");     // found, empty
    EXPECT_FALSE(LookupLangStream(stored, L"D"));       // after the ending empty entry
    EXPECT_FALSE(LookupLangStream(stored, L"a"));       // keys are case-sensitive
    EXPECT_FALSE(LookupLangStream(stored, L"no equals here"));
    EXPECT_EQ(LookupLangStream(stored, L""), L"");  // the lone "=" is an entry with an empty key
    const auto entries = ParseLangStream(stored);
    ASSERT_TRUE(entries);
    EXPECT_EQ(entries->size(), 5u);
}

TEST(LangStream, WithoutTheEndingEntryTheLastEntryStillCounts) {
    const std::string stored = Stored(W(L"A=1\0B=22"));
    EXPECT_EQ(LookupLangStream(stored, L"B"), L"22");
}

TEST(LangStream, OddLengthDropsTheTrailingByte) {
    std::string stored = Stored(std::wstring(L"K=v", 3)) + "\x41";
    EXPECT_EQ(stored.size(), 7u);
    EXPECT_EQ(LookupLangStream(stored, L"K"), L"v");
}

TEST(LangStream, EmptyAndOversizedStreamsAreRefused) {
    EXPECT_FALSE(ParseLangStream(""));
    EXPECT_FALSE(LookupLangStream("", L"A"));

    std::wstring text = L"A=1";
    text += L'\0';
    text += std::wstring(kMaxLangStreamBytes / 2 - text.size(), L'x');
    std::string full = Stored(text);
    ASSERT_EQ(full.size(), kMaxLangStreamBytes);
    EXPECT_FALSE(LookupLangStream(full, L"A"));
    full.resize(kMaxLangStreamBytes - 1);
    EXPECT_EQ(LookupLangStream(full, L"A"), L"1");
}

TEST(LangStream, EncodingRoundTrips) {
    const std::vector<LangEntry> entries{{L"Title", L"TaviOCR"}, {L"中", L"文字=值"}, {L"E", L""}};
    const std::string stored = EncodeLangStream(entries);
    EXPECT_EQ(ParseLangStream(stored), entries);
}
