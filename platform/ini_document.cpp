#include "platform/ini_document.h"

#include <cstdint>

#include "platform/text.h"

namespace {

constexpr size_t npos = std::wstring::npos;

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\f' || c == L'\v'; }

std::wstring_view Trim(std::wstring_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::string SwapBytePairs(std::string_view bytes) {
    std::string out(bytes.substr(0, bytes.size() & ~size_t{1}));
    for (size_t i = 0; i + 1 < out.size(); i += 2) std::swap(out[i], out[i + 1]);
    return out;
}

// Without a byte-order mark, ASCII text in UTF-16LE shows a zero high byte in
// its first unit; UTF-8 text never has a zero byte there.
bool LooksLikeUtf16Le(std::string_view bytes) {
    return bytes.size() >= 2 && bytes[0] != 0 && bytes[1] == 0;
}

}  // namespace

IniDocument::Line IniDocument::ParseLine(std::wstring_view raw) {
    Line line;
    line.raw = std::wstring(raw);
    const std::wstring_view text = Trim(raw);
    if (!text.empty() && text.front() == L'[') {
        const size_t close = text.find(L']');
        line.kind = LineKind::Section;
        line.name = std::wstring(Trim(text.substr(1, close == npos ? npos : close - 1)));
        return line;
    }
    const size_t eq = text.find(L'=');
    if (eq != npos) {
        line.kind = LineKind::Entry;
        line.name = std::wstring(Trim(text.substr(0, eq)));
        line.value = std::wstring(Trim(text.substr(eq + 1)));
    }
    return line;
}

IniDocument IniDocument::Parse(std::wstring_view text) {
    IniDocument doc;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of(L"\r\n", pos);
        if (end == npos) end = text.size();
        doc.lines_.push_back(ParseLine(text.substr(pos, end - pos)));
        if (end < text.size() && text[end] == L'\r' && end + 1 < text.size() &&
            text[end + 1] == L'\n')
            ++end;
        pos = end + 1;
    }
    return doc;
}

IniDocument IniDocument::FromFileBytes(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE")) return Parse(DecodeUtf16Le(bytes.substr(2)));
    if (bytes.starts_with("\xFE\xFF")) return Parse(DecodeUtf16Le(SwapBytePairs(bytes.substr(2))));
    if (bytes.starts_with("\xEF\xBB\xBF")) return Parse(Utf8ToWide(bytes.substr(3)));
    if (LooksLikeUtf16Le(bytes)) return Parse(DecodeUtf16Le(bytes));
    return Parse(Utf8ToWide(bytes));
}

size_t IniDocument::FindSection(std::wstring_view section) const {
    for (size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].kind == LineKind::Section && EqualsNoCase(lines_[i].name, section)) return i;
    return npos;
}

size_t IniDocument::SectionEnd(size_t header) const {
    size_t i = header + 1;
    while (i < lines_.size() && lines_[i].kind != LineKind::Section) ++i;
    return i;
}

size_t IniDocument::FindEntry(std::wstring_view section, std::wstring_view key) const {
    const size_t header = FindSection(section);
    if (header == npos) return npos;
    const size_t end = SectionEnd(header);
    for (size_t i = header + 1; i < end; ++i)
        if (lines_[i].kind == LineKind::Entry && EqualsNoCase(lines_[i].name, key)) return i;
    return npos;
}

std::optional<std::wstring> IniDocument::Get(std::wstring_view section,
                                             std::wstring_view key) const {
    const size_t i = FindEntry(section, key);
    if (i == npos) return std::nullopt;
    return lines_[i].value;
}

std::vector<std::wstring> IniDocument::Keys(std::wstring_view section) const {
    std::vector<std::wstring> keys;
    const size_t header = FindSection(section);
    if (header == npos) return keys;
    const size_t end = SectionEnd(header);
    for (size_t i = header + 1; i < end; ++i) {
        if (lines_[i].kind != LineKind::Entry) continue;
        bool seen = false;
        for (const auto& k : keys) seen = seen || EqualsNoCase(k, lines_[i].name);
        if (!seen) keys.push_back(lines_[i].name);
    }
    return keys;
}

bool IniDocument::HasSection(std::wstring_view section) const {
    return FindSection(section) != npos;
}

void IniDocument::Set(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
    const std::wstring raw = std::wstring(key) + L"=" + std::wstring(value);
    const size_t existing = FindEntry(section, key);
    if (existing != npos) {
        lines_[existing] = ParseLine(raw);
        return;
    }
    const size_t header = FindSection(section);
    if (header == npos) {
        lines_.push_back(ParseLine(L"[" + std::wstring(section) + L"]"));
        lines_.push_back(ParseLine(raw));
        return;
    }
    // After the section's last non-blank line, so blank separators stay below it.
    size_t insertAt = SectionEnd(header);
    while (insertAt > header + 1 && Trim(lines_[insertAt - 1].raw).empty()) --insertAt;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), ParseLine(raw));
}

bool IniDocument::Remove(std::wstring_view section, std::wstring_view key) {
    const size_t i = FindEntry(section, key);
    if (i == npos) return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
    return true;
}

std::wstring IniDocument::Serialize() const {
    std::wstring text;
    for (const auto& line : lines_) {
        text += line.raw;
        text += L"\r\n";
    }
    return text;
}

std::string IniDocument::ToFileBytes() const { return "\xFF\xFE" + EncodeUtf16Le(Serialize()); }

int ParseProfileInt(std::wstring_view text) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == L'-' || text.front() == L'+')) {
        negative = text.front() == L'-';
        text.remove_prefix(1);
    }
    std::uint32_t value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') break;
        value = value * 10u + static_cast<std::uint32_t>(c - L'0');
    }
    if (negative) value = 0u - value;
    return static_cast<int>(value);
}
