#include "lang/lang_source.h"

#include <set>

#include "platform/text.h"

namespace {

std::wstring Unescape(std::wstring_view text) {
    std::wstring out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[++i]) {
            case L'n':
                out += L'\n';
                break;
            case L'r':
                out += L'\r';
                break;
            case L't':
                out += L'\t';
                break;
            default:
                out += text[i];
        }
    }
    return out;
}

std::string_view TrimEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    return line;
}

}  // namespace

LangSourceResult ParseLangSource(std::string_view utf8) {
    LangSourceResult result;
    std::set<std::pair<std::string, std::wstring>> seen;
    int number = 0;
    std::size_t pos = 0;
    while (pos <= utf8.size()) {
        std::size_t end = utf8.find('\n', pos);
        if (end == std::string_view::npos) end = utf8.size();
        const std::string_view line = TrimEnd(utf8.substr(pos, end - pos));
        pos = end + 1;
        ++number;
        auto fail = [&](const std::string& what) {
            result.error = "line " + std::to_string(number) + ": " + what;
            result.sections.clear();
            return result;
        };
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3) return fail("bad section line");
            result.sections.push_back({std::string(line.substr(1, line.size() - 2)), {}});
            continue;
        }
        if (result.sections.empty()) return fail("entry before the first section");
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos || eq == 0) return fail("expected key=value");
        std::wstring key = Utf8ToWide(line.substr(0, eq));
        if (!seen.emplace(result.sections.back().name, key).second)
            return fail("duplicate key " + std::string(line.substr(0, eq)));
        result.sections.back().entries.emplace_back(std::move(key),
                                                    Unescape(Utf8ToWide(line.substr(eq + 1))));
    }
    return result;
}

std::vector<CompoundStream> EncodeLangSections(const std::vector<LangSection>& sections) {
    std::vector<CompoundStream> streams;
    for (const auto& section : sections)
        streams.emplace_back(section.name, EncodeLangStream(section.entries));
    return streams;
}

std::optional<std::vector<LangSection>> DecodeLangStreams(
    const std::vector<CompoundStream>& streams) {
    std::vector<LangSection> sections;
    for (const auto& [name, bytes] : streams) {
        auto entries = ParseLangStream(bytes);
        if (!entries) {
            // An empty stream is a section without entries, not damage.
            if (!bytes.empty()) return std::nullopt;
            entries.emplace();
        }
        sections.push_back({name, std::move(*entries)});
    }
    return sections;
}

void SetLangValue(std::vector<LangSection>& sections, const std::string& section,
                  const std::wstring& key, const std::wstring& value) {
    for (auto& s : sections) {
        if (s.name != section) continue;
        for (auto& entry : s.entries)
            if (entry.first == key) {
                entry.second = value;
                return;
            }
        s.entries.emplace_back(key, value);
        return;
    }
    sections.push_back({section, {{key, value}}});
}
