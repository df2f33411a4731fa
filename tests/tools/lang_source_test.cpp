#include "lang/lang_source.h"

#include <gtest/gtest.h>

TEST(LangSource, ParsesSectionsEntriesAndEscapes) {
    const auto parsed = ParseLangSource(
        "# comment\n[Text]\r\nA=one\nB=line\\nbreak \\\\ tab\\t\nEmpty=\n\n[Message]\nTitle=T=x\n");
    ASSERT_TRUE(parsed.error.empty()) << parsed.error;
    ASSERT_EQ(parsed.sections.size(), 2u);
    EXPECT_EQ(parsed.sections[0].name, "Text");
    EXPECT_EQ(
        parsed.sections[0].entries,
        (std::vector<LangEntry>{{L"A", L"one"}, {L"B", L"line\nbreak \\ tab\t"}, {L"Empty", L""}}));
    EXPECT_EQ(parsed.sections[1].entries, (std::vector<LangEntry>{{L"Title", L"T=x"}}));
}

TEST(LangSource, MistakesNameTheirLine) {
    EXPECT_EQ(ParseLangSource("A=1\n").error, "line 1: entry before the first section");
    EXPECT_EQ(ParseLangSource("[Text]\nA=1\nA=2\n").error, "line 3: duplicate key A");
    EXPECT_EQ(ParseLangSource("[Text]\n\nno value\n").error, "line 3: expected key=value");
    EXPECT_EQ(ParseLangSource("[Text\n").error, "line 1: bad section line");
    // The same key in two sections is fine.
    EXPECT_TRUE(ParseLangSource("[Text]\nA=1\n[Message]\nA=2\n").error.empty());
}

TEST(LangSource, SetReplacesTheFirstEntryOrAppends) {
    std::vector<LangSection> sections{{"Text", {{L"AAK", L""}, {L"B", L"b"}}}};
    SetLangValue(sections, "Text", L"AAK", L"secret");
    SetLangValue(sections, "Text", L"New", L"n");
    SetLangValue(sections, "Extra", L"K", L"v");
    EXPECT_EQ(sections[0].entries,
              (std::vector<LangEntry>{{L"AAK", L"secret"}, {L"B", L"b"}, {L"New", L"n"}}));
    EXPECT_EQ(sections[1].name, "Extra");
}

TEST(LangSource, EncodedSectionsDecodeBack) {
    const std::vector<LangSection> sections{{"Text", {{L"A", L"1"}}}, {"Message", {}}};
    const auto decoded = DecodeLangStreams(EncodeLangSections(sections));
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->size(), 2u);
    EXPECT_EQ((*decoded)[0].entries, sections[0].entries);
    EXPECT_TRUE((*decoded)[1].entries.empty());
}
