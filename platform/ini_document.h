#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// An INI text held line by line, read and edited the way the Windows profile
// functions treat it: section and key names compare without case, the first
// section and the first key of a name win, names and values are trimmed of
// blanks. Lines that are not touched keep their exact text, so comments,
// unknown keys and odd lines survive every edit.
class IniDocument {
public:
    static IniDocument Parse(std::wstring_view text);
    // Decodes file bytes: UTF-16LE (with or without BOM), UTF-8 (with or without
    // BOM) or UTF-16BE with BOM; an odd trailing byte is dropped.
    static IniDocument FromFileBytes(std::string_view bytes);

    std::optional<std::wstring> Get(std::wstring_view section, std::wstring_view key) const;
    // Key names of the first section of that name, each once, in file order.
    std::vector<std::wstring> Keys(std::wstring_view section) const;
    bool HasSection(std::wstring_view section) const;

    // Replaces the first key's value, else appends the key to the first section
    // of that name, else appends the section.
    void Set(std::wstring_view section, std::wstring_view key, std::wstring_view value);
    // Removes the first key of that name; false when there was none.
    bool Remove(std::wstring_view section, std::wstring_view key);

    // Lines joined with CR LF, every line ended.
    std::wstring Serialize() const;
    // FF FE followed by the serialized text in UTF-16LE.
    std::string ToFileBytes() const;

private:
    enum class LineKind { Section, Entry, Other };
    struct Line {
        LineKind kind = LineKind::Other;
        std::wstring name;   // section or key name, trimmed
        std::wstring value;  // entry value, trimmed
        std::wstring raw;    // the line as it stands in the file
    };

    static Line ParseLine(std::wstring_view raw);
    // Index of the first section line of that name, or npos.
    size_t FindSection(std::wstring_view section) const;
    // [begin, end) of the entries of the section starting at index `header`.
    size_t SectionEnd(size_t header) const;
    size_t FindEntry(std::wstring_view section, std::wstring_view key) const;

    std::vector<Line> lines_;
};

// Integer parsing as GetPrivateProfileInt does it: blanks skipped, an optional
// sign, then leading decimal digits (wrapping at 32 bits); text without leading
// digits reads as 0.
int ParseProfileInt(std::wstring_view text);
