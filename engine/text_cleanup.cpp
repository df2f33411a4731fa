#include "engine/text_cleanup.h"

#include <cwctype>
#include <vector>

bool IsCjk(wchar_t c) {
    return (c >= 0x3000 && c <= 0x303F) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFF00 && c <= 0xFFEF);
}

namespace {

std::wstring CleanLine(const std::wstring& line) {
    std::wstring out;
    for (size_t i = 0; i < line.size(); ++i) {
        const wchar_t c = line[i];
        if (c == L'\r') continue;
        if (c == L' ' && !out.empty() && IsCjk(out.back())) {
            size_t next = i;
            while (next < line.size() && line[next] == L' ') ++next;
            if (next < line.size() && IsCjk(line[next])) {
                i = next - 1;
                continue;
            }
        }
        out += c;
    }
    while (!out.empty() && std::iswspace(static_cast<wint_t>(out.back()))) out.pop_back();
    return out;
}

}  // namespace

std::wstring CleanRecognizedText(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        lines.push_back(CleanLine(text.substr(start, end - start)));
        start = end + 1;
    }
    std::wstring out;
    bool pendingBreak = false;
    for (const std::wstring& line : lines) {
        if (line.empty()) {
            pendingBreak = !out.empty();
            continue;
        }
        if (!out.empty()) out += pendingBreak ? L"\r\n\r\n" : L"\r\n";
        pendingBreak = false;
        out += line;
    }
    return out;
}
