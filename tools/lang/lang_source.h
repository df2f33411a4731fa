#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/compound_file.h"
#include "app/lang_stream.h"

// A language source: readable UTF-8 text compiled into a language file.
//
//   # a comment
//   [Text]
//   AddPic1=%s is ready.
//   [Message]
//   Title=TaviOCR
//
// Values may hold \n, \r, \t and \\. Keys are case-sensitive and must be unique
// within their section.
struct LangSection {
    std::string name;
    std::vector<LangEntry> entries;
};

struct LangSourceResult {
    std::vector<LangSection> sections;
    std::string error;  // "line N: ..." when the source is wrong
};

LangSourceResult ParseLangSource(std::string_view utf8);

// Sections as scrambled compound-file streams.
std::vector<CompoundStream> EncodeLangSections(const std::vector<LangSection>& sections);
// The streams of a compiled file decoded back; nothing when a stream is unreadable.
std::optional<std::vector<LangSection>> DecodeLangStreams(
    const std::vector<CompoundStream>& streams);

// Sets a value: replaces the first entry of that key, else appends it; adds
// the section when it is missing.
void SetLangValue(std::vector<LangSection>& sections, const std::string& section,
                  const std::wstring& key, const std::wstring& value);
