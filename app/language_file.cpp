#include "app/language_file.h"

#include "app/compound_file.h"
#include "app/lang_stream.h"
#include "app/language_table.h"
#include "app/process_globals.h"
#include "platform/text.h"

std::wstring LanguageFilePathFor(int languageCode) {
    return Globals().ExeFolder + L"/language/" + (languageCode == 950 ? L"tr.dat" : L"en.dat");
}

std::wstring LanguageFilePath() { return LanguageFilePathFor(Globals().UiLanguage); }

bool ReadLangEntry(std::wstring_view section, std::wstring_view key, std::wstring_view defaultText,
                   std::wstring& output, std::size_t capacity, std::wstring_view filePath) {
    std::optional<std::wstring> found;
    if (const auto stream = ReadCompoundStream(filePath, WideToUtf8(section), kMaxLangStreamBytes))
        found = LookupLangStream(*stream, key);
    const std::wstring_view value = found ? std::wstring_view(*found) : defaultText;
    output = capacity == 0 ? std::wstring() : std::wstring(value.substr(0, capacity - 1));
    return found.has_value();
}

std::vector<std::pair<std::wstring, std::wstring>> ReadLangSection(std::wstring_view section,
                                                                   std::wstring_view filePath) {
    const auto stream = ReadCompoundStream(filePath, WideToUtf8(section), kMaxLangStreamBytes);
    if (!stream) return {};
    auto entries = ParseLangStream(*stream);
    return entries ? std::move(*entries) : std::vector<LangEntry>();
}

std::wstring LangText(std::wstring_view key) {
    std::wstring text;
    ReadLangEntry(kTextSection, key, L"", text, kLangTextCapacity, LanguageFilePath());
    return text;
}

std::string LangTextAnsi(std::wstring_view key) {
    const std::wstring text = LangText(key);
    return text.empty() ? std::string() : WideToAnsi(text);
}

std::wstring LangMessage(std::wstring_view key) {
    std::wstring text;
    ReadLangEntry(kMessageSection, key, L"", text, kLangTextCapacity, LanguageFilePath());
    return text;
}

bool LanguageFileReadable(std::wstring_view filePath) {
    return !ReadLangSection(kTextSection, filePath).empty() &&
           !ReadLangSection(kMessageSection, filePath).empty();
}

std::wstring UnreadableLanguageFileMessage(std::wstring_view filePath) {
    return L"The language file \u201C" + std::wstring(filePath) +
           L"\u201D cannot be read. Please reinstall TaviOCR.";
}
